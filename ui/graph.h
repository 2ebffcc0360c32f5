// The charts window: one line per state over the years for one of twelve
// criteria, from the yearly statistics and the states' current values.
#pragma once

#include <QDialog>
#include <QMargins>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

class QCheckBox;
class QChartView;
class QLabel;
class QLineSeries;
class QMenu;
class QValueAxis;

namespace kordalt {

class TExSpeedButton;
class TExSpinEdit;
class TRadioGroup;

// The tick step of an axis of whole counts: 1, 2 or 5 times a power of ten,
// giving at most `maxSteps` steps over `span`.
double TickStep(double span, int maxSteps);
// Ticks every `step` from 0.
void SetTicks(QValueAxis& axis, double step);

class TGraph : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSeriesCount = 20;
    static constexpr int kCriterionCount = 12;
    static constexpr int kTerritory = 7;
    // Tags of the popup menu's filter commands; a state's item has its number + 6.
    enum TFilter { fAll = 1, fAlive = 2, fNeighbours = 3, fHumans = 4, fOwn = 5, fStateBase = 6 };

    explicit TGraph(QWidget* parent = nullptr);
    ~TGraph() override;

    // Every state shown, series titled with the state names.
    void ResetGraphFilter();
    void FormActivate();
    void Localize();
    // Rebuilds the chart for the selected criterion.
    void RefreshGraph();
    void ShowDepthClick();
    void DepthChange();
    void FirstYearChange();
    // Refills the popup menu: one item per state, a separator, the filters.
    void PopupMenuPopup();
    // The filter or state toggle of the menu item with `tag`; rebuilds the chart.
    void MenuOnClick(int tag);

    // Runs `Graph` modally (nothing without it).
    static void ShowModalGraph();

    // Criterion `criterion` of state `gos`: recorded in year `year` of the
    // statistics, or the state's current value.
    static double RecordedValue(int criterion, int gos, int year);
    static double CurrentValue(int criterion, int gos);

    QChartView* Chart = nullptr;
    // Beneath the chart: a colour square and the title of every drawn series,
    // in as many columns as the longest title allows.
    QWidget* Legend = nullptr;
    std::array<QLineSeries*, kSeriesCount> Series{};  // Series1..Series20, series i - 1 of state i
    QValueAxis* AxisBottom = nullptr;
    QValueAxis* AxisLeft = nullptr;
    TRadioGroup* CriterionGroup = nullptr;
    QCheckBox* DepthViewBox = nullptr;
    TExSpinEdit* DepthPercentEdit = nullptr;
    TExSpinEdit* FirstYearEdit = nullptr;
    TExSpeedButton* CloseButton = nullptr;
    QMenu* PopupMenu = nullptr;

    std::vector<bool> ShownGos;  // entry state - 1
    bool ShowPlayerNames = false;
    QStringList FilterCaptions;
    QStringList Criteria;  // CriterionGroup's items
    // The chart's 3D view and its depth in per cent of the plot's width: each
    // line is drawn as a ribbon running that far back, before a back wall.
    bool View3D = false;
    int Chart3DPercent = 13;
    // How far back the 3D view reaches, in pixels right and up (0 when flat).
    int DepthOffset() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool IsShown(int gos) const;
    void FillSeries(int criterion, int gos);
    // Series in drawing order, the current state's last.
    void OrderSeries();
    void ScaleAxes();
    void FillLegend();
    // Makes room for the depth and redraws.
    void ApplyDepth();

    bool bottomAutomatic_ = true;
    QMargins flatMargins_;
};

}  // namespace kordalt
