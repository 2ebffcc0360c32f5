// Controls of the science page of the main game screen.
#pragma once

#include <array>

class QLabel;
class QProgressBar;
class QPushButton;
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
    QLabel* Label41 = nullptr;  // free scientists caption
    QLabel* Label84 = nullptr;  // free scientists
    TExSpeedButton* SpeedButton4 = nullptr;
    QPushButton* ScnInfo = nullptr;
    QPushButton* SpinRefresh = nullptr;
    TScrollTextPanel* ScrollTextPanel3 = nullptr;
};

}  // namespace kordalt
