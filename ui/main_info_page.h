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
    QTextEdit* RichEdit1 = nullptr;  // events of the year
    QTextEdit* RichEdit2 = nullptr;  // the selected battle
    QTextEdit* RichEdit3 = nullptr;  // chronicle
    TExDrawGrid* ExDrawGrid1 = nullptr;
    TExSplitter* ExSplitter1 = nullptr;
    QWidget* Panel28 = nullptr;
    QChartView* Chart1 = nullptr;
    QChartView* Chart2 = nullptr;
    QLineSeries *Series1 = nullptr, *Series2 = nullptr, *Series3 = nullptr, *Series4 = nullptr;
    QLabel *Label91 = nullptr, *Label92 = nullptr, *Label101 = nullptr;
    TExSpeedButton* SpeedButton3 = nullptr;  // save
    TExSpeedButton* SpeedButton7 = nullptr;  // settings
    // Chat page.
    QTextEdit* ChatRichEdit = nullptr;
    QLineEdit* ChatEdit = nullptr;
    TExCheckListBox* ChatExCheckListBox = nullptr;
    QLabel* Label42 = nullptr;
};

}  // namespace kordalt
