// The information page (events, battles, chronicle) and the chat page.
#include <QChart>
#include <QChartView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QValueAxis>

#include "controls/draw_grid.h"
#include "controls/list_box.h"
#include "controls/speed_button.h"
#include "controls/splitter.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/turn_report.h"
#include "multiplayer/net_messages.h"
#include "platform/arith.h"
#include "platform/support.h"
#include "ui/graph.h"
#include "ui/main_screen.h"
#include "ui/main_screen_support.h"
#include "ui/screens.h"

namespace kordalt {

namespace {

constexpr int kBattleRowHeight = 19;
constexpr int kBattleRowsShown = 5;
constexpr int kBattleListHeight = kBattleRowHeight * kBattleRowsShown;
constexpr int kTitleMargin = 3;
constexpr int kChartTickSteps = 4;

// Where a battle's title goes in its cell of the list, wrapped at blanks.
QRect TitleBox(const QRect& cell) { return cell.adjusted(kTitleMargin, 1, -kTitleMargin, -1); }
constexpr int kTitleFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// Prefix and suffix of the destroyed-state announcement around its "%s".
struct AlarmPattern {
    std::string prefix, suffix;
};

AlarmPattern CurrentAlarmPattern() {
    const std::string text = TrimEC(LangText(kStateDestroyed));
    const size_t at = text.find("%s");
    if (at == std::string::npos) return {};
    return {TrimEC(text.substr(0, at)), TrimEC(text.substr(at + 2))};
}

void AddLine(QTextEdit* edit, const QString& text, const QColor& colour, bool bold) {
    QTextCharFormat format;
    format.setForeground(colour);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    if (!edit->document()->isEmpty()) cursor.insertBlock();
    cursor.insertText(text, format);
}

QChartView* MakeChart(QWidget* parent, const char* name, QLineSeries*& first, const char* firstName,
                      QLineSeries*& second, const char* secondName) {
    auto* chart = new QChart();
    first = new QLineSeries(chart);
    first->setObjectName(firstName);
    second = new QLineSeries(chart);
    second->setObjectName(secondName);
    chart->addSeries(first);
    chart->addSeries(second);
    chart->createDefaultAxes();
    for (QAbstractAxis* axis : chart->axes())
        static_cast<QValueAxis*>(axis)->setLabelFormat(QStringLiteral("%d"));
    chart->legend()->hide();
    chart->setMargins(QMargins(0, 0, 0, 0));
    auto* view = new QChartView(chart, parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

// Rounds from 0 to `right`, counts from 0 to above `top`: the lines keep 5 per
// cent of the height above them.
void ScaleBattleAxes(QChart& chart, double right, double top) {
    auto& rounds = static_cast<QValueAxis&>(*chart.axes(Qt::Horizontal).first());
    rounds.setRange(0, right);
    SetTicks(rounds, TickStep(right, kChartTickSteps));
    auto& counts = static_cast<QValueAxis&>(*chart.axes(Qt::Vertical).first());
    const double span = top / 0.95;
    const double step = TickStep(span, kChartTickSteps);
    counts.setRange(0, std::ceil(span / step) * step);
    SetTicks(counts, step);
}

}  // namespace

bool IsAlarmLine(const std::string& line) {
    const AlarmPattern p = CurrentAlarmPattern();
    if (p.prefix.empty() && p.suffix.empty()) return false;
    return (p.prefix.empty() || line.find(p.prefix) != std::string::npos) &&
           (p.suffix.empty() || line.find(p.suffix) != std::string::npos);
}

void TMain::BuildInfoPage() {
    QWidget* page = TabSheetInfo;
    Info.EventsLabel = MakeLabel(page, "Label91", 4, 2, 310, 18);
    Info.EventsText = new QTextEdit(page);
    Info.EventsText->setObjectName("RichEdit1");
    Info.EventsText->setGeometry(4, 20, 310, 160);
    Info.ChronicleText = new QTextEdit(page);
    Info.ChronicleText->setObjectName("RichEdit3");
    Info.ChronicleText->setGeometry(4, 184, 310, 180);
    Info.ChronicleLabel = MakeLabel(page, "Label92", 320, 2, 310, 18);
    Info.BattlesLabel = MakeLabel(page, "Label101", 320, 20, 310, 16);
    Info.BattleList = new TExDrawGrid(page);
    Info.BattleList->setObjectName("ExDrawGrid1");
    Info.BattleList->setGeometry(320, 38, 310, 95);
    Info.BattleList->SetColCount(1);
    Info.BattleList->SetFixedCols(0);
    Info.BattleList->SetFixedRows(0);
    Info.BattleList->SetRowCount(1);
    Info.BattleList->SetDefaultRowHeight(kBattleRowHeight - 1);
    Info.BattleList->SetOptions(Info.BattleList->Options() | goRowSelect);
    Info.BattleList->OnDrawCell = [this](TExDrawGrid* grid, int, int row, const TRect& rect, TGridDrawState) {
        if (row < 0 || row >= static_cast<int>(BattleUnits.size())) return;
        grid->Canvas()->drawText(TitleBox(rect.ToQRect()), kTitleFlags,
                                 Qs(BattleUnits[static_cast<size_t>(row)]->Title));
    };
    Info.BattleList->OnSelectCell = [this](TExDrawGrid*, int col, int row, bool& canSelect) {
        BattleListSelectCell(col, row, canSelect);
    };
    Info.BattleSplitter = new TExSplitter(page);
    Info.BattleSplitter->setObjectName("ExSplitter1");
    Info.BattleText = new QTextEdit(page);
    Info.BattleText->setObjectName("RichEdit2");
    Info.BattleCharts = new QWidget(page);
    Info.BattleCharts->setObjectName("Panel28");
    Info.BattleCharts->setGeometry(320, 270, 310, 130);
    Info.ArmyChart =
        MakeChart(Info.BattleCharts, "Chart1", Info.AttackerArmy, "Series1", Info.DefenderArmy, "Series2");
    Info.ArmyChart->setGeometry(0, 0, 154, 130);
    Info.MoraleChart = MakeChart(Info.BattleCharts, "Chart2", Info.AttackerMorale, "Series3",
                                 Info.DefenderMorale, "Series4");
    Info.MoraleChart->setGeometry(156, 0, 154, 130);
    for (QTextEdit* edit : {Info.EventsText, Info.BattleText, Info.ChronicleText}) edit->setReadOnly(true);

    Info.Settings = MakeSpeedButton(page, "SpeedButton7", QRect(4, 368, 150, 30));
    Info.SaveGame = MakeSpeedButton(page, "SpeedButton3", QRect(164, 368, 150, 30));
    connect(Info.Settings, &TExSpeedButton::OnClick, this, [this] { SettingsClick(); });
    connect(Info.SaveGame, &TExSpeedButton::OnClick, this, [this] { SaveGameClick(); });

    QWidget* chat = TabSheetChat;
    Info.ChatRichEdit = new QTextEdit(chat);
    Info.ChatRichEdit->setObjectName("ChatRichEdit");
    Info.ChatRichEdit->setReadOnly(true);
    Info.ChatRichEdit->setGeometry(4, 4, 460, 366);
    Info.ChatEdit = new QLineEdit(" ", chat);
    Info.ChatEdit->setObjectName("ChatEdit");
    Info.ChatEdit->setMaxLength(kChatLineLength);
    Info.ChatEdit->setGeometry(4, 374, 460, 24);
    Info.ChatEdit->installEventFilter(this);
    Info.ChatPlayersLabel = MakeLabel(chat, "Label42", 470, 4, 160, 16);
    Info.ChatExCheckListBox = new TExCheckListBox(chat);
    Info.ChatExCheckListBox->setObjectName("ChatExCheckListBox");
    Info.ChatExCheckListBox->setGeometry(470, 22, 160, 376);
    Info.ChatExCheckListBox->setEnabled(false);
    TabSheetChat->installEventFilter(this);
}

void TMain::LocalizeInfoPage() {
    Info.EventsLabel->setText(Qs(LangText(kInfoEvents)));
    Info.ChronicleLabel->setText(Qs(LangText(kInfoChronicle)));
    Info.BattlesLabel->setText(Qs(LangText(kInfoBattles)));
    Info.Settings->SetCaption(Qs(LangText(kInfoSettings)));
    Info.SaveGame->SetCaption(Qs(LangText(kInfoSave)));
    Info.ChatPlayersLabel->setText(Qs(LangText(kChatPlayers)));
}

void TMain::ClearBattleUnits() { BattleUnits.clear(); }

void TMain::RebuildBattleList() {
    ClearBattleUnits();
    TBattleUnit* open = nullptr;
    const std::string battleStart = LangText(kBattleStart);
    for (int i = 0; i < Messages.Count(); ++i) {
        const TMessageRec& m = *Messages[i];
        if (m.Gos != Game.CurrentGos || m.Kind != kBattleMessage) continue;
        const std::string text = m.Text.Str();
        if (text == battleStart) {
            if (open) open->LastIndex = i - 1;
            BattleUnits.push_back(std::make_unique<TBattleUnit>());
            open = BattleUnits.back().get();
            open->FirstIndex = i;
        } else if (CountParEC(text, "~") == 2 && !BattleUnits.empty()) {
            const int32_t n = DigitsToInt(GetParEC(text, 1, "~"));
            const size_t index = n < 0 || n >= static_cast<int32_t>(BattleUnits.size())
                                     ? BattleUnits.size() - 1
                                     : static_cast<size_t>(n);
            BattleUnits[index]->Title = GetParEC(text, 0, "~");
        }
    }
    if (open) open->LastIndex = Messages.Count() - 1;

    TExDrawGrid* grid = Info.BattleList;
    const int units = static_cast<int>(BattleUnits.size());
    if (units == 0) {
        grid->hide();
        Info.BattleSplitter->hide();
        grid->SetRowCount(1);
        grid->resize(grid->width(), 1);
    } else {
        grid->show();
        Info.BattleSplitter->show();
        grid->SetRowCount(units);
        SizeBattleRows();
        grid->SetRow(0);
        bool canSelect = true;
        BattleListSelectCell(0, 0, canSelect);
    }
    const int top = grid->geometry().bottom() + 1;
    Info.BattleSplitter->setGeometry(320, top, 310, 4);
    Info.BattleText->setGeometry(320, top + 4, 310, Info.BattleCharts->y() - top - 6);
    grid->viewport()->update();
}

// Each row as tall as its title wrapped; the list as tall as the whole rows
// that fit its height, a scroll bar beside them when some do not.
void TMain::SizeBattleRows() {
    TExDrawGrid* grid = Info.BattleList;
    const int frame = 2 * grid->frameWidth();
    const int inside = grid->width() - frame;
    const int scrollBar = grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid);
    const QRect wrapped(0, 0, inside - scrollBar, 1 << 16);
    int height = 0, shown = 0;
    for (int row = 0; row < grid->RowCount(); ++row) {
        const QString title = Qs(BattleUnits[static_cast<size_t>(row)]->Title);
        const int textHeight =
            grid->fontMetrics().boundingRect(TitleBox(wrapped), kTitleFlags, title).height();
        grid->SetRowHeights(row, std::max(kBattleRowHeight - 1, textHeight + 2));
        const int below = height + grid->RowHeights(row) + grid->GridLineWidth();
        if (shown == row && (shown == 0 || below <= kBattleListHeight)) {
            height = below;
            ++shown;
        }
    }
    grid->SetColWidths(0, shown < grid->RowCount() ? inside - scrollBar : inside);
    grid->resize(grid->width(), height + frame);
}

void TMain::FillEvents() {
    for (int i = 0; i < Messages.Count(); ++i) {
        const TMessageRec& m = *Messages[i];
        if (m.Gos == Game.CurrentGos && m.Kind == kEventMessage)
            AddLine(Info.EventsText, Qs(m.Text.Str()), ToQColor(m.Color), false);
    }
}

void TMain::BattleListSelectCell(int, int row, bool&) {
    QTextCursor cursor = Info.BattleText->textCursor();
    cursor.clearSelection();
    Info.BattleText->setTextCursor(cursor);
    if (row < 0 || row >= static_cast<int>(BattleUnits.size())) return;
    QLineSeries* series[4] = {Info.AttackerArmy, Info.DefenderArmy, Info.AttackerMorale, Info.DefenderMorale};
    for (QLineSeries* s : series) s->clear();
    Info.BattleText->setUpdatesEnabled(false);
    Info.BattleText->clear();
    Info.ArmyChart->chart()->setTitle(Qs(LangText(kArmyChart)));
    Info.MoraleChart->chart()->setTitle(Qs(LangText(kMoraleChart)));
    const TBattleUnit& unit = *BattleUnits[static_cast<size_t>(row)];
    for (int i = unit.FirstIndex + 1; i <= unit.LastIndex && i < Messages.Count(); ++i) {
        const TMessageRec& m = *Messages[i];
        if (m.Gos != Game.CurrentGos || m.Kind != kBattleMessage) continue;
        CurMessage = Messages[i];
        const std::string text = m.Text.Str();
        const int n = CountParEC(text, "~");
        if (n == 2) continue;
        if (n == 5) {
            for (QLineSeries* s : series) {
                QPen pen = s->pen();
                pen.setWidth(2);
                s->setPen(pen);
            }
            continue;
        }
        AddLine(Info.BattleText, Qs(GetParEC(text, 0, "~")), ToQColor(m.Color), false);
        if (n != 9) continue;
        auto field = [&](int f) { return static_cast<double>(DigitsToInt(GetParEC(text, f, "~"))); };
        const double x = Info.AttackerArmy->count();
        Info.AttackerArmy->append(x, field(1) + field(2) + field(3));
        Info.DefenderArmy->append(x, field(5) + field(6) + field(7));
        Info.AttackerMorale->append(x, field(4));
        Info.DefenderMorale->append(x, field(8));
    }
    Info.BattleText->setUpdatesEnabled(true);
    for (QChartView* view : {Info.ArmyChart, Info.MoraleChart}) {
        QChart* chart = view->chart();
        double maxX = 1, maxY = 1;
        for (QAbstractSeries* s : chart->series())
            for (const QPointF& p : static_cast<QLineSeries*>(s)->points()) {
                maxX = std::max(maxX, p.x());
                maxY = std::max(maxY, p.y());
            }
        ScaleBattleAxes(*chart, maxX, maxY);
    }
    Info.BattleCharts->setVisible(Info.AttackerArmy->count() >= 2);
}

void TMain::ShowChronicle(QTextEdit* edit, const std::string& text) {
    edit->setUpdatesEnabled(false);
    edit->clear();
    const QColor plain = ToQColor(FontColor(edit));
    const std::string own = CurrentRec().Name.Str();
    std::string rest = text;
    size_t lf;
    while (!rest.empty() && (lf = rest.find('\n')) != std::string::npos) {
        const std::string line = rest.substr(0, lf);
        rest.erase(0, lf + 1);
        const bool bold = !own.empty() && line.find(own) != std::string::npos;
        AddLine(edit, Qs(line), IsAlarmLine(line) ? ToQColor(clRed) : plain, bold);
    }
    edit->setUpdatesEnabled(true);
}

void TMain::ChatEditKeyPress(QKeyEvent*) {
    const std::string line = TrimEC(Cs(Info.ChatEdit->text()));
    if (line.empty()) return;
    if (MainNetwork()) MainNetwork()->SendAllMessage(line, clBlack);
    Info.ChatEdit->setText(" ");
}

void TMain::TabSheetChatExit() { ChatSignal->hide(); }

// The charts, in this window's place.
void TMain::ShowGraphClick() {
    if (!Graph) return;
    CopyFormPos(this, Graph);
    ExecOver(*Graph);
}

void TMain::RebuildChatPlayers() {
    TExCheckListBox* list = Info.ChatExCheckListBox;
    list->hide();
    list->Items().Clear();
    if (MainNetwork()) {
        const auto players = MainNetwork()->SessionPlayers();
        for (size_t p = 0; p < players.size(); ++p) {
            bool owns = false;
            for (int s = 1; s <= Game.GosCount; ++s) {
                const TGosRec& rec = Game.mGos[s];
                if (!rec.Alive || rec.Player != players[p].Id) continue;
                owns = true;
                list->Items().Add(Qs(players[p].Name));
                if (rec.CapturedThisTurn == 39 && static_cast<int>(p) < list->Items().Count())
                    list->SetItemChecked(static_cast<int>(p), true);
            }
            if (!owns) list->Items().Add(Qs(LangText(kOutOfGame)) + " " + Qs(players[p].Name));
        }
    }
    if (Pages->currentIndex() == 5) list->show();
}

}  // namespace kordalt
