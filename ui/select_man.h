// The turn banner: whose turn it is, the year and, in a hot-seat game, the time
// every human has spent so far.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <vector>

#include "controls/draw_grid.h"
#include "ui/start.h"

class QLabel;

namespace kordalt {

// A grid that holds the text of its cells.
class TStringGrid : public TExDrawGrid {
    Q_OBJECT

public:
    explicit TStringGrid(QWidget* parent = nullptr);
    // Every cell empty, `rows` rows of `cols` columns.
    void Reset(int cols, int rows);
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);

private:
    std::vector<QString> cells_;
};

// A time in days as a time of day in the long time format (whole days dropped).
QString TimeOfDayText(double days);

class TSelectMan : public TScreenDialog {
    Q_OBJECT

public:
    explicit TSelectMan(QWidget* parent = nullptr);

    void Localize();
    void FormActivate();

    TImage* Background = nullptr;
    TExLabel* PlayerName = nullptr;
    TExLabel* Banner = nullptr;
    QLabel* YearLabel = nullptr;
    QLabel* Year = nullptr;
    QLabel* TimesLabel = nullptr;
    TStringGrid* TimeTable = nullptr;
    TExSpeedButton* OkButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillTimeTable();
};

}  // namespace kordalt
