// Controls of the economy page of the main game screen.
#pragma once

#include <array>

class QLabel;
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

// The values of the summary panel.
struct TEconomySummary {
    QLabel* Population = nullptr;
    QLabel* Peasants = nullptr;
    QLabel* Scientists = nullptr;
    QLabel* Soldiers = nullptr;
    QLabel* Territory = nullptr;
    QLabel* MaxPopulation = nullptr;
    QLabel* Money = nullptr;
    QLabel* Grain = nullptr;
    QLabel* GrainGrowth = nullptr;
    QLabel* PopulationGrowth = nullptr;
    QLabel* ScienceCost = nullptr;
    QLabel* ArmyCost = nullptr;
    QLabel* Balance = nullptr;  // the expected profit, red when below 0
};

struct TEconomyPage {
    std::array<TEconomyAction, kEconomyPanelCount> Actions{};
    QWidget* SummaryPanel = nullptr;
    TEconomySummary Summary;
    QLabel* SeedCaption = nullptr;  // "grain used" caption of the sow panel
    // The ">" buttons of the training panels.
    QWidget* StepScientists = nullptr;
    QWidget* StepSoldiers = nullptr;
    TScrollTextPanel* HelpScroll = nullptr;
};

}  // namespace kordalt
