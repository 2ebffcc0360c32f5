#include "ui/select_man.h"

#include <QLabel>
#include <QLocale>
#include <QShortcut>
#include <QTime>
#include <cmath>

#include "controls/classic.h"
#include "controls/ex_label.h"
#include "controls/speed_button.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/self_test.h"
#include "ui/screens.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

// The texts on the pale progress picture.
constexpr TColor kTextColour = clNavy;
constexpr TColor kBannerColour = 0x0000B0;
constexpr int kMsPerDay = 24 * 60 * 60 * 1000;

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry, int pointSize = 0) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    SetPaletteColor(*label, QPalette::WindowText, kTextColour);
    if (pointSize > 0) {
        QFont font = label->font();
        font.setPointSize(pointSize);
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

}  // namespace

TStringGrid::TStringGrid(QWidget* parent) : TExDrawGrid(parent) {
    OnDrawCell = [this](TExDrawGrid*, int col, int row, const TRect& rect, TGridDrawState) {
        DrawCellStr(rect, Cell(col, row), taLeftJustify);
    };
}

void TStringGrid::Reset(int cols, int rows) {
    SetColCount(cols);
    SetRowCount(rows);
    cells_.assign(static_cast<size_t>(ColCount() * RowCount()), QString());
    viewport()->update();
}

QString TStringGrid::Cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return {};
    const size_t index = static_cast<size_t>(row * ColCount() + col);
    return index < cells_.size() ? cells_[index] : QString();
}

void TStringGrid::SetCell(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
    const size_t index = static_cast<size_t>(row * ColCount() + col);
    if (index >= cells_.size()) cells_.resize(static_cast<size_t>(ColCount() * RowCount()));
    cells_[index] = text;
    InvalidateCell(col, row);
}

QString TimeOfDayText(double days) {
    if (!std::isfinite(days)) days = 0;
    const double fraction = days - std::floor(days);
    const int ms = static_cast<int>(std::llround(fraction * kMsPerDay)) % kMsPerDay;
    // The long format without the time zone, which a time of day does not have.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QTime::fromMSecsSinceStartOfDay(ms).toString(format.trimmed());
}

TSelectMan::TSelectMan(QWidget* parent) : TScreenDialog("SelectMan", parent) {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Beneath the background picture, and in its place when there is none.
    SetPaletteColor(*this, QPalette::Window, kPaperColour);
    Background = new TImage(this);
    Background->setObjectName(QStringLiteral("Image1"));
    Background->setGeometry(0, 0, kWidth, kHeight);
    Background->Stretch = true;
    if (Start) Background->Picture = Start->ProgressBackground->Picture;
    PlayerName = MakeShadowLabel(this, "ExLabel1", {20, 40, 600, 50}, 24, kTextColour);
    Banner = MakeShadowLabel(this, "ExLabel2", {20, 100, 600, 70}, 40, kBannerColour);
    for (TExLabel* label : {PlayerName, Banner}) {
        label->SetShadowColor(clBtnHighlight);
        label->SetShadowSize(2);
    }
    YearLabel = MakeLabel(this, "Label97", {170, 174, 140, 30}, 16);
    YearLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Year = MakeLabel(this, "Label98", {320, 174, 140, 30}, 16);
    TimesLabel = MakeLabel(this, "Label1", {140, 210, 360, 34});
    TimesLabel->setAlignment(Qt::AlignCenter);
    TimeTable = new TStringGrid(this);
    TimeTable->setObjectName(QStringLiteral("StringGrid1"));
    TimeTable->setGeometry(170, 248, 300, 150);
    TimeTable->SetFixedCols(0);
    TimeTable->SetFixedRows(0);
    TimeTable->SetOptions(TimeTable->Options() | goRowSelect);
    TimeTable->SetDefaultColWidth(140);
    TimeTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TimeTable->Reset(2, 1);
    OkButton = new TExSpeedButton(this);
    OkButton->setObjectName(QStringLiteral("ExSpeedButton1"));
    OkButton->setGeometry(270, 414, 100, 40);
    OkButton->SetModalResult(1);
    // The banner's one button answers Enter, Space and Escape.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, OkButton,
                &TExSpeedButton::Click);
    Localize();
    SetActivationHandler(this, [this] { FormActivate(); });
}

void TSelectMan::Localize() {
    DropBorderOnSmallScreen();
    setWindowTitle(Qs(LangText(kSelectManCaption)));
    Banner->SetCaption(Qs(LangText(kSelectManBanner)));
    YearLabel->setText(Qs(LangText(kSelectManYear)));
    TimesLabel->setText(NormalizeLineBreaks(Qs(LangText(kSelectManTimes))));
    OkButton->SetCaption(Qs(LangText(kSelectManOk)));
    ApplyLanguageFont(this);
}

void TSelectMan::FormActivate() {
    PlayerName->SetCaption(Qs(Game.CurrentPlayerName));
    Year->setText(QString::number(Game.Year));
    const bool hotSeat = Game.HumanCount > 1 && PlayMode.GameMode == kLocalGame;
    if (hotSeat) FillTimeTable();
    TimeTable->setVisible(hotSeat);
    TimesLabel->setVisible(hotSeat);
}

void TSelectMan::FillTimeTable() {
    TimeTable->Reset(2, Game.HumanCount);
    for (int n = 1; n <= Game.HumanCount; ++n)
        for (int s = 1; s <= Game.GosCount; ++s) {
            const TGosRec& g = Game.mGos[s];
            if (g.Player != static_cast<uint32_t>(n)) continue;
            TimeTable->SetCell(0, n - 1, Qs(g.PlayerName.Str()));
            TimeTable->SetCell(1, n - 1, TimeOfDayText(g.TimeSpent));
            if (s == Game.CurrentGos) TimeTable->SetRow(n - 1);
        }
}

void TSelectMan::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    HidePreviousScreen();
    FormActivate();
}

}  // namespace kordalt
