// Small helpers shared by the files of the main game screen.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "controls/classic.h"
#include "game/game_state.h"
#include "ui/ui_support.h"

class QLabel;
class QRect;
class QPushButton;
class QSlider;
class QWidget;

namespace kordalt {

class TExSpeedButton;
class TScrollTextPanel;

QString Dec(int64_t value);
// "%d $".
QString Dollars(int64_t value);

const TGosRec& CurrentRec();

// A label at (x, y, w, h) with `name` as objectName.
QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, int w, int h, const QString& text = {});
// An invisible button whose click carries a handler.
QPushButton* MakeHiddenButton(QWidget* parent, const char* name);
QSlider* MakeTrackBar(QWidget* parent, const char* name, int x, int y, int w, int h, bool vertical = false);
TExSpeedButton* MakeSpeedButton(QWidget* parent, const char* name, const QRect& geometry,
                                const QString& caption = {});
// A cycling help panel that moves one pixel every `interval` milliseconds.
TScrollTextPanel* MakeScrollPanel(QWidget* parent, const char* name, const QRect& geometry,
                                  unsigned interval);
// Breaks the panel's lines at blanks so that each fits its width in its font.
void FitScrollLines(TScrollTextPanel& panel);
// The panel's lines become introduction `group` of the language file, when it has one.
void LoadIntroLines(TScrollTextPanel& panel, int group);
void SetFontColor(QWidget* widget, TColor colour);
TColor FontColor(const QWidget* widget);

}  // namespace kordalt
