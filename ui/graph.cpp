#include "ui/graph.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QGraphicsLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "controls/classic.h"
#include "controls/speed_button.h"
#include "controls/spin_edit.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "ui/main_screen.h"
#include "ui/map_drawing.h"
#include "ui/screens.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kChartWidth = 436;
constexpr int kCloseResult = 2;
// The legend: colour squares, the gap to the titles, the space between
// columns, the margin around it and the most columns it takes.
constexpr int kSwatch = 10, kSwatchGap = 4, kColumnGap = 10, kLegendMargin = 4, kMaxLegendColumns = 4;
constexpr int kFilterCount = 5;

// The back wall, floor and left wall of the 3D view with the value grid on
// them, then each drawn line as a ribbon running `offset` back, in the
// chart's drawing order.
void DrawDepth(QPainter& painter, QChart& chart, const QValueAxis& values, QPointF offset) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plot = chart.mapRectToScene(chart.plotArea());
    painter.setPen(QColor(160, 160, 160));
    painter.setBrush(QColor(236, 236, 236));
    painter.drawRect(plot.translated(offset));
    painter.drawPolygon(QPolygonF{plot.bottomLeft(), plot.bottomRight(), plot.bottomRight() + offset,
                                  plot.bottomLeft() + offset});
    painter.drawPolygon(
        QPolygonF{plot.topLeft(), plot.bottomLeft(), plot.bottomLeft() + offset, plot.topLeft() + offset});
    const double range = values.max() - values.min();
    if (range > 0 && values.tickInterval() > 0)
        for (double value = values.min() + values.tickInterval(); value < values.max();
             value += values.tickInterval()) {
            const QPointF left(plot.left(), plot.bottom() - (value - values.min()) / range * plot.height());
            const QPointF back = left + offset;
            painter.drawLine(left, back);
            painter.drawLine(back, QPointF(plot.right() + offset.x(), back.y()));
        }
    for (QAbstractSeries* drawn : chart.series()) {
        auto* series = static_cast<QLineSeries*>(drawn);
        if (!series->isVisible() || series->count() < 2) continue;
        const QColor colour = series->pen().color();
        painter.setPen(QPen(colour.darker(170), 1));
        painter.setBrush(colour.darker(130));
        QPointF previous = chart.mapToScene(chart.mapToPosition(series->at(0), series));
        for (int i = 1; i < series->count(); ++i) {
            const QPointF next = chart.mapToScene(chart.mapToPosition(series->at(i), series));
            painter.drawPolygon(QPolygonF{previous, next, next + offset, previous + offset});
            previous = next;
        }
    }
    painter.restore();
}

// Draws the depth of the 3D view beneath the chart's own items.
class TDepthChartView final : public QChartView {
public:
    TDepthChartView(QChart* chart, const TGraph& graph, QWidget* parent)
        : QChartView(chart, parent), graph_(graph) {}

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override {
        QChartView::drawBackground(painter, rect);
        if (const int depth = graph_.DepthOffset(); depth > 0)
            DrawDepth(*painter, *chart(), *graph_.AxisLeft, QPointF(depth, -depth));
    }

private:
    const TGraph& graph_;
};

constexpr int kMaxTickSteps = 8;

}  // namespace

double TickStep(double span, int maxSteps) {
    for (double power = 1;; power *= 10)
        for (double step : {power, 2 * power, 5 * power})
            if (span / step <= maxSteps) return step;
}

void SetTicks(QValueAxis& axis, double step) {
    axis.setTickType(QValueAxis::TicksDynamic);
    axis.setTickAnchor(0);
    axis.setTickInterval(step);
}

// ---- TGraph ----

TGraph::TGraph(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Graph"));
    setFixedSize(kWidth, kHeight);

    auto* chart = new QChart;
    // The legend is a row of labels beneath the chart, which holds every title;
    // the view paints the background, so the depth can lie beneath the lines.
    chart->legend()->hide();
    chart->setBackgroundVisible(false);
    AxisBottom = new QValueAxis(chart);
    AxisBottom->setLabelFormat(QStringLiteral("%d"));
    AxisLeft = new QValueAxis(chart);
    AxisLeft->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(AxisBottom, Qt::AlignBottom);
    chart->addAxis(AxisLeft, Qt::AlignLeft);
    for (int i = 0; i < kSeriesCount; ++i) {
        Series[i] = new QLineSeries(chart);
        Series[i]->setObjectName(QStringLiteral("Series%1").arg(i + 1));
    }
    Chart = new TDepthChartView(chart, *this, this);
    Chart->setObjectName(QStringLiteral("Chart1"));
    Chart->setGeometry(0, 0, kChartWidth, kHeight);
    Chart->setRenderHint(QPainter::Antialiasing);
    Chart->setBackgroundBrush(Qt::white);
    Chart->setCacheMode(QGraphicsView::CacheNone);
    flatMargins_ = chart->margins();
    Legend = new QWidget(this);
    Legend->setObjectName(QStringLiteral("Legend"));
    Legend->setAutoFillBackground(true);
    SetPaletteColor(*Legend, QPalette::Window, clWhite);
    Legend->setGeometry(0, kHeight, kChartWidth, 0);
    Chart->setContextMenuPolicy(Qt::CustomContextMenu);
    OrderSeries();

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    connect(Chart, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenuPopup();
        PopupMenu->popup(Chart->mapToGlobal(pos));
    });

    CriterionGroup = new TRadioGroup(this);
    CriterionGroup->setObjectName(QStringLiteral("RadioGroup1"));
    CriterionGroup->setGeometry(440, 4, 196, 330);
    connect(CriterionGroup, &TRadioGroup::OnClick, this, &TGraph::RefreshGraph);

    DepthViewBox = new QCheckBox(QStringLiteral("3D"), this);
    DepthViewBox->setObjectName(QStringLiteral("CheckBox1"));
    DepthViewBox->setGeometry(478, 344, 50, 20);
    connect(DepthViewBox, &QCheckBox::clicked, this, &TGraph::ShowDepthClick);

    DepthPercentEdit = new TExSpinEdit(this);
    DepthPercentEdit->setObjectName(QStringLiteral("SpinEdit1"));
    DepthPercentEdit->setGeometry(540, 344, 60, 21);
    DepthPercentEdit->SetMinValue(1);
    DepthPercentEdit->SetMaxValue(30);
    DepthPercentEdit->SetValue(Chart3DPercent);
    connect(DepthPercentEdit, &TExSpinEdit::OnChange, this, &TGraph::DepthChange);

    FirstYearEdit = new TExSpinEdit(this);
    FirstYearEdit->setObjectName(QStringLiteral("SpinEdit2"));
    FirstYearEdit->setGeometry(478, 372, 60, 21);
    FirstYearEdit->SetValue(1);
    FirstYearEdit->hide();
    connect(FirstYearEdit, &TExSpinEdit::OnChange, this, &TGraph::FirstYearChange);

    CloseButton = new TExSpeedButton(this);
    CloseButton->setObjectName(QStringLiteral("SpeedButton33"));
    CloseButton->setGeometry(494, 430, 136, 40);
    connect(CloseButton, &TExSpeedButton::OnClick, this, [this] { done(kCloseResult); });

    Localize();
    SetActivationHandler(this, [this] { FormActivate(); });
}

TGraph::~TGraph() {
    if (Graph == this) Graph = nullptr;
}

void TGraph::ResetGraphFilter() {
    ShownGos.assign(Game.GosCount, true);
    ShowPlayerNames = false;
}

void TGraph::Localize() {
    setWindowTitle(Qs(LangText(kGraphCaption)));
    CloseButton->SetCaption(Qs(LangText(kGraphClose)));
    CriterionGroup->setTitle(Qs(LangText(kGraphChoose)));
    Criteria.clear();
    for (int i = 0; i < kCriterionCount; ++i) Criteria << Qs(LangText(kGraphCriteria[i]));
    CriterionGroup->SetItems(Criteria);
    FilterCaptions.clear();
    for (int i = 0; i < kFilterCount; ++i) FilterCaptions << Qs(LangText(kGraphFilters[i]));
    ApplyLanguageFont(this);
}

void TGraph::FormActivate() {
    Localize();
    FirstYearEdit->SetMaxValue(Game.Year - 1);
    FirstYearEdit->SetMinValue(1);
    FirstYearEdit->SetValue(1);
    CriterionGroup->SetItemIndex(kTerritory);
    RefreshGraph();
}

void TGraph::FirstYearChange() {
    AxisBottom->setRange(FirstYearEdit->GetSpinIntValue(), static_cast<qreal>(FirstYearEdit->MaxValue()));
    bottomAutomatic_ = false;
}

void TGraph::ShowDepthClick() {
    View3D = DepthViewBox->isChecked();
    ApplyDepth();
}

void TGraph::DepthChange() {
    Chart3DPercent = DepthPercentEdit->GetSpinIntValue();
    ApplyDepth();
}

int TGraph::DepthOffset() const { return View3D ? Chart->width() * Chart3DPercent / 200 : 0; }

void TGraph::ApplyDepth() {
    QChart* chart = Chart->chart();
    // The depth takes room to the right of the plot and beneath the title.
    const int depth = DepthOffset();
    QMargins margins = flatMargins_;
    margins.setRight(margins.right() + depth);
    chart->setMargins(margins);
    const QString title = Criteria.value(CriterionGroup->ItemIndex());
    chart->setTitle(depth > 0
                        ? title.toHtmlEscaped() +
                              QStringLiteral("<br><span style=\"font-size: %1px\">&nbsp;</span>").arg(depth)
                        : title);
    chart->layout()->activate();
    // The walls carry the grid in depth.
    AxisLeft->setGridLineVisible(!View3D);
    AxisBottom->setGridLineVisible(!View3D);
    Chart->viewport()->update();
}

double TGraph::RecordedValue(int criterion, int gos, int year) {
    const TYearStatRec& rec = Game.YearStats[gos][year];
    switch (criterion) {
        case 6:
            return rec.Harvest;
        case 7:
            return rec.Territory;
        case 8:
            return rec.Peasants;
        case 9:
            return rec.Soldiers;
        case 10:
            return rec.Scientists;
        case 11:
            return static_cast<double>(rec.Peasants) + rec.Scientists + rec.Soldiers;
        default:
            return rec.Levels[criterion];
    }
}

double TGraph::CurrentValue(int criterion, int gos) {
    const TGosRec& rec = Game.mGos[gos];
    switch (criterion) {
        case 6:
            return rec.Grain;
        case 7:
            return rec.Territory;
        case 8:
            return rec.Peasants;
        case 9:
            return rec.Soldiers;
        case 10:
            return rec.Scientists;
        case 11:
            return static_cast<double>(rec.Peasants) + rec.Scientists + rec.Soldiers;
        default:
            return rec.Research[criterion].Level;
    }
}

bool TGraph::IsShown(int gos) const {
    // States beyond the filter (never reset for this game) are shown.
    return gos > static_cast<int>(ShownGos.size()) || ShownGos[static_cast<size_t>(gos - 1)];
}

void TGraph::RefreshGraph() {
    const int criterion = CriterionGroup->ItemIndex();
    if (criterion < 0 || criterion >= kCriterionCount) return;
    QChart* chart = Chart->chart();
    chart->setTitle(Criteria.value(criterion));
    for (QLineSeries* series : Series) {
        series->clear();
        series->setVisible(false);
    }
    for (int i = 1; i <= Game.GosCount; ++i) {
        const TGosRec& gos = Game.mGos[i];
        Series[i - 1]->setName(
            ShowPlayerNames ? QStringLiteral("%1 (%2)").arg(Qs(gos.PlayerName.Str()), Qs(gos.Name.Str()))
                            : Qs(gos.Name.Str()));
    }
    if (Game.Year > 1)
        for (int i = 1; i <= Game.GosCount; ++i) FillSeries(criterion, i);
    OrderSeries();
    ScaleAxes();
    FillLegend();
    ApplyDepth();
}

void TGraph::FillSeries(int criterion, int gos) {
    QLineSeries* series = Series[gos - 1];
    QPen pen(ToQColor(GosColors[gos]));
    pen.setWidth(3);
    series->setPen(pen);
    series->setVisible(IsShown(gos));
    QList<QPointF> points;
    points << QPointF(0, RecordedValue(criterion, gos, 1));
    const int last = std::min(static_cast<int>(FirstYearEdit->MaxValue()), YearCount);
    for (int year = FirstYearEdit->GetSpinIntValue(); year <= last; ++year)
        points << QPointF(points.size(), RecordedValue(criterion, gos, year));
    points << QPointF(points.size(), Game.mGos[gos].Alive ? CurrentValue(criterion, gos) : 0);
    series->replace(points);
}

void TGraph::OrderSeries() {
    std::array<int, kSeriesCount> order{};
    for (int i = 0; i < kSeriesCount; ++i) order[i] = i;
    if (Game.CurrentGos >= 1 && Game.CurrentGos <= Game.GosCount)
        std::swap(order[Game.CurrentGos - 1], order[Game.GosCount - 1]);
    QChart* chart = Chart->chart();
    for (QAbstractSeries* series : chart->series()) chart->removeSeries(series);
    for (int index : order) {
        QLineSeries* series = Series[index];
        chart->addSeries(series);
        series->attachAxis(AxisBottom);
        series->attachAxis(AxisLeft);
    }
}

void TGraph::ScaleAxes() {
    double top = 0;
    double right = 0;
    for (QLineSeries* series : Series) {
        if (!series->isVisible()) continue;
        for (const QPointF& point : series->points()) {
            top = std::max(top, point.y());
            right = std::max(right, point.x());
        }
    }
    // Every criterion is a whole count from 0 up, every point a year.
    const double span = top > 0 ? top * 1.05 : 1;
    const double step = TickStep(span, kMaxTickSteps);
    AxisLeft->setRange(0, std::ceil(span / step) * step);
    SetTicks(*AxisLeft, step);
    if (bottomAutomatic_) AxisBottom->setRange(0, std::max(right, 1.0));
    SetTicks(*AxisBottom, TickStep(AxisBottom->max() - AxisBottom->min(), kMaxTickSteps));
}

void TGraph::FillLegend() {
    for (QWidget* entry : Legend->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete entry;
    std::vector<int> drawn;
    int widest = 0;
    const QFontMetrics metrics(Legend->font());
    for (int i = 1; i <= std::min(static_cast<int>(Game.GosCount), kSeriesCount); ++i)
        if (Series[i - 1]->isVisible()) {
            drawn.push_back(i);
            widest = std::max(widest, metrics.horizontalAdvance(Series[i - 1]->name()));
        }
    const int inner = kChartWidth - 2 * kLegendMargin;
    const int entry = kSwatch + kSwatchGap + widest + kColumnGap;
    const int columns = std::clamp(inner / std::max(entry, 1), 1, kMaxLegendColumns);
    const int rows = (static_cast<int>(drawn.size()) + columns - 1) / columns;
    const int rowHeight = metrics.height() + 2;
    const int height = rows > 0 ? rows * rowHeight + 2 * kLegendMargin : 0;
    Legend->setGeometry(0, kHeight - height, kChartWidth, height);
    Chart->setGeometry(0, 0, kChartWidth, kHeight - height);
    const int columnWidth = inner / columns;
    for (size_t k = 0; k < drawn.size(); ++k) {
        const int gos = drawn[k];
        const int x = kLegendMargin + static_cast<int>(k) % columns * columnWidth;
        const int y = kLegendMargin + static_cast<int>(k) / columns * rowHeight;
        auto* swatch = new QWidget(Legend);
        swatch->setObjectName(QStringLiteral("LegendColour%1").arg(gos));
        swatch->setGeometry(x, y + (rowHeight - kSwatch) / 2, kSwatch, kSwatch);
        swatch->setAutoFillBackground(true);
        SetPaletteColor(*swatch, QPalette::Window, GosColors[gos]);
        auto* name = new QLabel(Series[gos - 1]->name(), Legend);
        name->setObjectName(QStringLiteral("LegendName%1").arg(gos));
        name->setGeometry(x + kSwatch + kSwatchGap, y, columnWidth - kSwatch - kSwatchGap, rowHeight);
        swatch->show();
        name->show();
    }
}

void TGraph::PopupMenuPopup() {
    PopupMenu->clear();  // frees the items
    auto add = [this](const QString& caption, int tag) {
        QAction* action = PopupMenu->addAction(caption);
        action->setData(tag);
        connect(action, &QAction::triggered, this, [this, tag] { MenuOnClick(tag); });
        return action;
    };
    for (int i = 1; i <= Game.GosCount; ++i) {
        QAction* action = add(Qs(Game.mGos[i].Name.Str()), i + fStateBase);
        action->setCheckable(true);
        action->setChecked(IsShown(i));
    }
    PopupMenu->addSeparator();
    for (int i = 0; i < FilterCaptions.size(); ++i) add(FilterCaptions[i], i + 1);
}

void TGraph::MenuOnClick(int tag) {
    ShowPlayerNames = false;
    if (ShownGos.size() < Game.GosCount) ShownGos.resize(Game.GosCount, true);
    const int current = Game.CurrentGos;
    for (int i = 1; i <= Game.GosCount; ++i) {
        const TGosRec& gos = Game.mGos[i];
        auto shown = ShownGos.begin() + (i - 1);
        switch (tag) {
            case fAll:
                *shown = true;
                break;
            case fAlive:
                *shown = gos.Alive != 0 || i == current;
                break;
            case fNeighbours:
                *shown = MainState.GosBorders[i] != 0;
                break;
            case fHumans:
                *shown = !gos.PlayerName.Str().empty();
                break;
            case fOwn:
                *shown = i == current;
                break;
            default:
                if (tag == i + fStateBase) *shown = !*shown;
        }
    }
    if (tag == fHumans) ShowPlayerNames = true;
    RefreshGraph();
}

void TGraph::ShowModalGraph() {
    if (Graph) ExecModal(*Graph);
}

void TGraph::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

}  // namespace kordalt
