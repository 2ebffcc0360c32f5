#include "ui/main_screen_support.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "controls/scroll_text_panel.h"
#include "controls/speed_button.h"
#include "game/language_file.h"

namespace kordalt {

QString Dec(int64_t value) { return QString::number(value); }

QString Dollars(int64_t value) { return QString::number(value) + " $"; }

const TGosRec& CurrentRec() { return Game.mGos[Game.CurrentGos]; }

QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, int w, int h, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(x, y, w, h);
    return label;
}

QPushButton* MakeHiddenButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->hide();
    return button;
}

QSlider* MakeTrackBar(QWidget* parent, const char* name, int x, int y, int w, int h, bool vertical) {
    auto* slider = new QSlider(vertical ? Qt::Vertical : Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setGeometry(x, y, w, h);
    slider->setTickPosition(vertical ? QSlider::TicksRight : QSlider::TicksBelow);
    return slider;
}

TExSpeedButton* MakeSpeedButton(QWidget* parent, const char* name, const QRect& geometry,
                                const QString& caption) {
    auto* button = new TExSpeedButton(parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->SetCaption(caption);
    return button;
}

TScrollTextPanel* MakeScrollPanel(QWidget* parent, const char* name, const QRect& geometry,
                                  unsigned interval) {
    auto* panel = new TScrollTextPanel(parent);
    panel->setObjectName(name);
    panel->setGeometry(geometry);
    panel->SetCycled(true);
    panel->SetInterval(interval);
    return panel;
}

void FitScrollLines(TScrollTextPanel& panel) {
    // The text's room: the panel less its frame and the margin of 3 on each side.
    const int room = panel.width() - 2 * (panel.FrameWidth() + 3);
    const QFontMetrics metrics(panel.font());
    QStringList fitted;
    for (const QString& line : panel.Lines()) {
        QString current;
        for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (!current.isEmpty() && metrics.horizontalAdvance(longer) > room) {
                fitted << current;
                current = word;
            } else {
                current = longer;
            }
        }
        fitted << current;
    }
    if (fitted != panel.Lines()) panel.SetLines(fitted);
}

void LoadIntroLines(TScrollTextPanel& panel, int group) {
    if (!LanguageFile) return;
    std::vector<std::string> lines;
    for (const QString& line : panel.Lines()) lines.push_back(Cs(line));
    LanguageFile->LoadIntro(group, lines);
    QStringList qlines;
    for (const std::string& line : lines) qlines << Qs(line);
    panel.SetLines(qlines);
}

void SetFontColor(QWidget* widget, TColor colour) {
    SetPaletteColor(*widget, QPalette::WindowText, colour);
    SetPaletteColor(*widget, QPalette::Text, colour);
}

TColor FontColor(const QWidget* widget) { return PaletteColor(*widget, QPalette::WindowText); }

}  // namespace kordalt
