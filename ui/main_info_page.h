// Controls of the information and chat pages of the main game screen.
#pragma once

class QLabel;
class QLineEdit;
class QTextEdit;
class QWidget;

class QChart;
class QChartView;
class QLineSeries;

namespace kordalt {

class TExCheckListBox;
class TExDrawGrid;
class TExSpeedButton;
class TExSplitter;

struct TInfoPage {
    QTextEdit* EventsText = nullptr;  // events of the year
    QTextEdit* BattleText = nullptr;  // the selected battle
    QTextEdit* ChronicleText = nullptr;
    TExDrawGrid* BattleList = nullptr;
    TExSplitter* BattleSplitter = nullptr;
    QWidget* BattleCharts = nullptr;
    QChartView* ArmyChart = nullptr;
    QChartView* MoraleChart = nullptr;
    // The battle charts: soldiers and morale of the attacker and the defender, one point a round.
    QLineSeries *AttackerArmy = nullptr, *DefenderArmy = nullptr;
    QLineSeries *AttackerMorale = nullptr, *DefenderMorale = nullptr;
    QLabel *EventsLabel = nullptr, *ChronicleLabel = nullptr, *BattlesLabel = nullptr;
    TExSpeedButton* SaveGame = nullptr;
    TExSpeedButton* Settings = nullptr;
    // Chat page.
    QTextEdit* ChatRichEdit = nullptr;
    QLineEdit* ChatEdit = nullptr;
    TExCheckListBox* ChatExCheckListBox = nullptr;
    QLabel* ChatPlayersLabel = nullptr;
};

}  // namespace kordalt
