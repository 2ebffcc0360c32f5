// Controls of the economy page of the main game screen.
#pragma once

#include <array>

class QLabel;
class QPushButton;
class QSlider;
class QWidget;

namespace kordalt {

class TExLabel;
class TScrollTextPanel;
class TShape;

// One action panel: slider, its labels, the round "OK" shape and "MAX".
struct TEconomyAction {
    QWidget* Panel = nullptr;
    QLabel* Title = nullptr;
    QSlider* TrackBar = nullptr;
    QLabel* MinLabel = nullptr;
    QLabel* MaxLabel = nullptr;
    QLabel* AmountLabel = nullptr;
    QLabel* ResultLabel = nullptr;  // nullptr for the dismiss panels
    TShape* Shape = nullptr;
    QLabel* StaticText = nullptr;
    TExLabel* MaxButton = nullptr;
    QPushButton* ActionButton = nullptr;  // nullptr for the dismiss panels
};

// Panels in the order sow, sell, train scientists, train soldiers, dismiss
// scientists, dismiss soldiers, buy.
enum TEconomyPanel {
    epSow,
    epSell,
    epTrainScientists,
    epTrainSoldiers,
    epDismissScientists,
    epDismissSoldiers,
    epBuy
};
constexpr int kEconomyPanelCount = 7;

struct TEconomyPage {
    std::array<TEconomyAction, kEconomyPanelCount> Actions{};
    QWidget* Panel1 = nullptr;
    // Summary values: Label20 population, Label23 peasants, Label24 scientists,
    // Label25 soldiers, Label21 territory, Label22 maximum population, Label40
    // money, Label103 grain, Label86 grain growth, Label90 population growth,
    // Label119 science, Label121 army, Label123 balance.
    QLabel *Label20 = nullptr, *Label23 = nullptr, *Label24 = nullptr, *Label25 = nullptr, *Label21 = nullptr,
           *Label22 = nullptr, *Label40 = nullptr, *Label103 = nullptr, *Label86 = nullptr,
           *Label90 = nullptr, *Label119 = nullptr, *Label121 = nullptr, *Label123 = nullptr;
    QLabel* Label125 = nullptr;  // "grain used" caption of the sow panel
    QPushButton* EconomyInfo = nullptr;
    QWidget* SpeedButton1 = nullptr;
    QWidget* SpeedButton2 = nullptr;
    TScrollTextPanel* ScrollTextPanel2 = nullptr;
};

}  // namespace kordalt
