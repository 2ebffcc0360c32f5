// The hand-over between the 640 x 480 windows that take each other's place on
// the screen, and the language's font for every window's controls.
#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <string_view>

class QObject;
class QWidget;

namespace kordalt {

class TIniFile;

// The window the next full-screen window hides when it shows.
extern QPointer<QWidget> PreviousScreen;

// True when the screen has 96 logical pixels per inch horizontally.
bool IsSmallFonts();

// Moves Target's client area to Source's (nothing when they are the same window).
void CopyFormPos(QWidget* Source, QWidget* Target);
// Marks Form and moves every full-screen window to its position.
void AlignScreens(QWidget* Form);
// The same, leaving nothing marked: Form stays visible under the next window.
void AlignScreensKeep(QWidget* Form);
// Hides the marked window, if any, and clears the mark.
void HidePreviousScreen();

struct TLanguageFont {
    QString Name;  // the language's font name, as the settings file gives it
    uint8_t Charset = 1;
};
// The font of `section` in `ini`: "FontName" (default "MS Sans Serif"), or
// "TTFFontName" (default "Arial") when [Preferences] "FontDefence" (default on)
// holds and the screen does not have small fonts.
TLanguageFont LanguageFont(const TIniFile& ini, std::string_view section, bool smallFonts);

// The installed family that stands in for a font name of the settings file.
QString FontFamilyFor(const QString& fontName);

// Gives Form's controls the current language's font (nothing without a
// language file).
void ApplyLanguageFont(QWidget* Form);
// Sets the family (and character set) of every control that Owner owns: its
// child widgets that are not windows of their own, depth first. Size, style
// and colour stay; Owner's own font does not change.
void ApplyFontToControls(QObject* Owner, const QString& FontName, uint8_t Charset);

}  // namespace kordalt
