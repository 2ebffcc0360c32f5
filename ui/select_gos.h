// The state choice: a human clicks a state on the new map, types his ruler's
// name and confirms; a state already in play is refused.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

#include "ui/start.h"

class QFrame;
class QLabel;
class QLineEdit;

namespace kordalt {

class TSelectGos : public TScreenDialog {
    Q_OBJECT

public:
    static constexpr int kMapSide = 400;
    static constexpr int kNameLength = 13;

    explicit TSelectGos(QWidget* parent = nullptr);

    void Localize();
    void LoadGlyphs();
    void FormActivate();
    void MapMouseUp(Qt::MouseButton button, int x, int y);
    void ConfirmClick();
    // Draws the map into the picture and shows it.
    void ShowMapPreview();

    // Texts 1140..1149: the ruler's names offered (entry i - 1 for name i).
    std::array<QString, 10> RulerNames;
    uint8_t ChoiceSelectedGos = 0;
    // Entry s - 1: state s was refused since the window was last activated.
    std::array<bool, 20> ChoiceRefused{};

    TImage* Image2 = nullptr;
    TImage* Image1 = nullptr;
    QFrame* Shape1 = nullptr;
    QFrame* Shape3 = nullptr;
    TExLabel* ExLabel1 = nullptr;
    TExLabel* ExLabel3 = nullptr;
    TExLabel* ExLabel2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    TExSpeedButton* ExSpeedButton1 = nullptr;
    TExSpeedButton* ExSpeedButton2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void SetBarColour(const QColor& colour);
};

}  // namespace kordalt
