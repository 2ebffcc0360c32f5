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

    TImage* Background = nullptr;
    TImage* MapPicture = nullptr;
    QFrame* UpperBar = nullptr;
    QFrame* LowerBar = nullptr;
    TExLabel* StateName = nullptr;
    TExLabel* StateTerritory = nullptr;
    TExLabel* Prompt = nullptr;
    QLabel* RulerNameLabel = nullptr;
    QLineEdit* RulerNameEdit = nullptr;
    TExSpeedButton* ConfirmButton = nullptr;
    TExSpeedButton* RejectButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void SetBarColour(const QColor& colour);
};

}  // namespace kordalt
