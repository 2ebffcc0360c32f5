// Controls of the borders page of the main game screen.
#pragma once

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QSlider;
class QTextEdit;

namespace kordalt {

class TExDrawGrid;
class TExLabel;
class TExSpeedButton;

struct TBordersPage {
    TExDrawGrid* dgrCountries = nullptr;
    QLabel* MiniMap = nullptr;
    QMenu* mnuMap = nullptr;
    QAction* NormalMapItem = nullptr;
    QAction* WorldMapItem = nullptr;
    QAction* MapNamesItem = nullptr;
    QTextEdit* ChronicleText = nullptr;
    QLabel* ChronicleLabel = nullptr;
    TExDrawGrid* dgrKordalts = nullptr;
    QMenu* mnuKordaltOrder = nullptr;
    // Behind the front slider and its labels, whatever the page's picture.
    QFrame* FrontPanel = nullptr;
    QSlider* FrontSlider = nullptr;
    QLabel* FrontSoldiersLabel = nullptr;
    QLabel* Label_km = nullptr;
    QLabel* FrontSliderLabel = nullptr;
    TExLabel* ReserveLabel = nullptr;
    TExLabel* ReserveCount = nullptr;
    TExSpeedButton* RestAll = nullptr;
    TExSpeedButton* ShowGraph = nullptr;
};

}  // namespace kordalt
