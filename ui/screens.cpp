#include "ui/screens.h"

#include <QApplication>
#include <QFont>
#include <QScreen>
#include <QWidget>
#include <array>

#include "game/language_file.h"
#include "platform/ini_file.h"
#include "ui/ui_support.h"

namespace kordalt {

QPointer<QWidget> PreviousScreen;

namespace {

// The windows that move together, in the order they are moved.
constexpr std::array<const char*, 10> kFullScreenWindows = {
    "MainForm", "SelectGos", "SelectMan", "Main",        "MultiPlayer",
    "Start",    "Proc",      "Connect",   "RecordTable", "Graph"};

}  // namespace

bool IsSmallFonts() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen && qRound(screen->logicalDotsPerInchX()) == 96;
}

void CopyFormPos(QWidget* Source, QWidget* Target) {
    if (!Source || !Target || Target == Source) return;
    MoveWindowTo(*Target, Source->geometry().topLeft());
}

void AlignScreens(QWidget* Form) {
    PreviousScreen = Form;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const char* name : kFullScreenWindows)
        for (QWidget* window : windows)
            if (window->objectName() == QLatin1String(name)) CopyFormPos(Form, window);
}

void AlignScreensKeep(QWidget* Form) {
    AlignScreens(Form);
    PreviousScreen = nullptr;
}

void HidePreviousScreen() {
    if (PreviousScreen) PreviousScreen->hide();
    PreviousScreen = nullptr;
}

TLanguageFont LanguageFont(const TIniFile& ini, std::string_view section, bool smallFonts) {
    std::string name = ini.ReadString(section, "FontName", "MS Sans Serif");
    const std::string replacement = ini.ReadString(section, "TTFFontName", "Arial");
    const auto charset = static_cast<uint8_t>(ini.ReadInteger(section, "Charset", 1));
    if (ini.ReadBool("Preferences", "FontDefence", true) && !smallFonts) name = replacement;
    return {Qs(name), charset};
}

QString FontFamilyFor(const QString& fontName) {
    const QString key = fontName.trimmed().toLower();
    if (key == QLatin1String("ms sans serif")) return QStringLiteral("DejaVu Sans");
    if (key == QLatin1String("arial")) return QStringLiteral("Liberation Sans");
    if (key == QLatin1String("times new roman")) return QStringLiteral("Liberation Serif");
    return fontName;
}

void ApplyLanguageFont(QWidget* Form) {
    if (!LanguageFile || !Form) return;
    const TLanguageFont font = LanguageFont(*LanguageFile, LanguageFile->LanguageSection, IsSmallFonts());
    ApplyFontToControls(Form, font.Name, font.Charset);
}

void ApplyFontToControls(QObject* Owner, const QString& FontName, uint8_t Charset) {
    const QString family = FontFamilyFor(FontName);
    for (QObject* child : Owner->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || control->isWindow()) continue;
        if (!control->children().isEmpty()) ApplyFontToControls(control, FontName, Charset);
        QFont font = control->font();
        font.setFamily(family);
        control->setFont(font);
        control->setProperty("Charset", Charset);
    }
}

}  // namespace kordalt
