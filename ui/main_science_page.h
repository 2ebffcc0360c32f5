// Controls of the science page of the main game screen.
#pragma once

#include <array>

class QLabel;
class QProgressBar;
class QWidget;

namespace kordalt {

class TExSpeedButton;
class TExSpinEdit;
class TScrollTextPanel;

// The controls of one research branch.
struct TBranchControls {
    QWidget* Panel = nullptr;
    QLabel* Caption = nullptr;
    QProgressBar* Gauge = nullptr;
    QLabel* LevelLabel = nullptr;
    QLabel* EffectLabel = nullptr;
    QLabel* YearsLabel = nullptr;
    QLabel* NeededLabel = nullptr;
    QLabel* CurrentLevelCaption = nullptr;
    QLabel* YearsCaption = nullptr;
    TExSpinEdit* SpinEdit = nullptr;
    TExSpeedButton* ForOneYear = nullptr;
    TExSpeedButton* Max = nullptr;
    TExSpeedButton* Min = nullptr;
};

struct TSciencePage {
    std::array<TBranchControls, 6> Branches{};
    QLabel* FreeCaption = nullptr;
    QLabel* FreeScientists = nullptr;
    TExSpeedButton* RecallAll = nullptr;  // every branch's scientists back to the free ones
    TScrollTextPanel* HelpScroll = nullptr;
};

}  // namespace kordalt
