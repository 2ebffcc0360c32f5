// Controls of the borders page of the main game screen.
#pragma once

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QTextEdit;

namespace kordalt {

class TExDrawGrid;
class TExLabel;
class TExSpeedButton;

struct TBordersPage {
    TExDrawGrid* dgrCountries = nullptr;
    QLabel* Image6 = nullptr;
    QMenu* mnuMap = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;
    QAction* N3 = nullptr;
    QTextEdit* RichEdit4 = nullptr;
    QLabel* Label111 = nullptr;
    TExDrawGrid* dgrKordalts = nullptr;
    QMenu* mnuKordaltOrder = nullptr;
    // Behind the front slider and its labels, whatever the page's picture.
    QFrame* FrontPanel = nullptr;
    QSlider* TrackBar1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label_km = nullptr;
    QLabel* Label49 = nullptr;
    TExLabel* ExLabel4 = nullptr;
    TExLabel* ExLabel5 = nullptr;
    TExSpeedButton* SpeedButton6 = nullptr;
    TExSpeedButton* ShowGraph = nullptr;
    QPushButton* ArmyInfo = nullptr;
    QPushButton* ShowMap = nullptr;
};

}  // namespace kordalt
