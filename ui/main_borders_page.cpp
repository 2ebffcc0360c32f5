// The borders page: the living states, the mini-map, the chronicle and the
// Kordalt grid with the orders and the front slider.
#include <QContextMenuEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSlider>
#include <QTextEdit>
#include <algorithm>

#include "controls/control_support.h"
#include "controls/draw_grid.h"
#include "controls/ex_label.h"
#include "controls/speed_button.h"
#include "game/capture.h"
#include "game/fronts.h"
#include "game/kordalt_pool.h"
#include "game/language_file.h"
#include "game/player_actions.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "platform/arith.h"
#include "platform/format.h"
#include "ui/main_screen.h"
#include "ui/main_screen_support.h"
#include "ui/map_drawing.h"
#include "ui/picture_store.h"

namespace kordalt {

TKordaltTexts KordaltTexts;

namespace {

constexpr int kFortifyTag = 3;
constexpr int kDismissTag = 4;
constexpr int kAttackTagBase = 5;
constexpr TColor kLightRed = 0x6C6CFF;
// The Kordalt grid's even rows: lighter than the button face, so that its red
// and green figures stand out on every row.
constexpr TColor kKordaltEvenRow = 0xE8E8E8;
// The Kordalt grid shows its header and four Kordalts in whole rows; more scroll.
constexpr int kKordaltRowHeight = 16;
constexpr int kKordaltRowsShown = 5;

const TKordaltRec& Kordalt(int k) { return Game.mKordalt[k]; }

bool BordersCurrent(int j) { return Map && Map->AreNeighbours(Game.CurrentGos, static_cast<uint8_t>(j)); }

void DrawAttitudeIcon(QPainter& canvas, QPoint at, int icon) {
    if (PictureList) PictureList->DrawFragmentTransparent(at.x(), at.y(), canvas, icon);
}

}  // namespace

std::string KordaltOrderText(int k) {
    const TKordaltRec& rec = Kordalt(k);
    switch (rec.Order) {
        case kOrderFortify:
            return KordaltTexts.KordaltOrderNames[0];
        case kOrderAttack: {
            const std::string name =
                rec.Front >= 1 && rec.Front <= MaxGos ? Game.mGos[rec.Front].Name.Str() : "";
            return FormatText(KordaltTexts.KordaltOrderNames[1], {name});
        }
        case kOrderRest:
            return KordaltTexts.KordaltOrderNames[2];
        case kOrderTrain:
            return KordaltTexts.KordaltOrderNames[3];
        default:
            return {};
    }
}

int32_t KordaltTroops(int k) {
    const TKordaltRec& rec = Kordalt(k);
    const TGosRec& gos = CurrentRec();
    if (rec.Order == kOrderFortify) return gos.Reserve;
    if (rec.Order != kOrderAttack || rec.Front < 1 || rec.Front > MaxGos) return 0;
    const TFrontRec& front = gos.Fronts[rec.Front];
    if (front.Kordalt != k) return 0;
    int64_t sum = 0;
    for (int t = 1; t <= 5; ++t) sum += front.Soldiers[t];
    return SaturateI32(sum);
}

int MapModeFromMenu(bool normal, bool world) {
    if (normal) return world ? 4 : 1;
    return world ? 3 : 2;
}

int AttitudeIcon(int attitude) {
    if (attitude > 100) return 4;
    if (attitude >= 80) return 0;
    if (attitude >= 60) return 1;
    if (attitude >= 40) return 2;
    if (attitude >= 20) return 3;
    return 4;
}

// The Kordalt grid opens its orders menu after a right press has selected the row.
class TKordaltGrid : public TExDrawGrid {
public:
    using TExDrawGrid::TExDrawGrid;
    std::function<void(QPoint)> OnContextMenu;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (OnContextMenu) OnContextMenu(event->globalPos());
    }
};

void TMain::BuildBordersPage() {
    QWidget* page = TabSheetBorders;
    auto* countries = new TExDrawGrid(page);
    Borders.dgrCountries = countries;
    countries->setObjectName("dgrCountries");
    countries->setGeometry(4, 4, 244, 194);
    countries->SetColCount(4);
    countries->SetFixedCols(0);
    countries->SetFixedRows(0);
    countries->SetRowCount(1);
    countries->SetDefaultRowHeight(18);
    countries->setEnabled(false);
    countries->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    countries->OnDrawCell = [this](TExDrawGrid*, int col, int row, const TRect& rect, TGridDrawState) {
        DrawCountryCell(col, row, rect);
    };

    Borders.MiniMap = new QLabel(page);
    Borders.MiniMap->setObjectName("Image6");
    Borders.MiniMap->setGeometry(328, 4, 302, 302);
    Borders.MiniMap->setContextMenuPolicy(Qt::CustomContextMenu);
    Borders.mnuMap = new QMenu(this);
    Borders.mnuMap->setObjectName("mnuMap");
    auto makeItem = [this](const char* name, const QString& caption, bool checked) {
        QAction* item = Borders.mnuMap->addAction(caption);
        item->setObjectName(name);
        item->setCheckable(true);
        item->setChecked(checked);
        return item;
    };
    // LocalizeBordersPage names the first two.
    Borders.NormalMapItem = makeItem("N1", QString(), false);
    Borders.WorldMapItem = makeItem("N2", QString(), false);
    Borders.MapNamesItem = makeItem("N3", QString::fromUtf8(kMiniMapNames), true);
    // The menu flips the check marks itself; the handlers read them.
    connect(Borders.NormalMapItem, &QAction::triggered, this, [this] { RedrawMiniMap(); });
    connect(Borders.WorldMapItem, &QAction::triggered, this, [this] { RedrawMiniMap(); });
    connect(Borders.MapNamesItem, &QAction::triggered, this, [this] {
        MapView.MapShowNames = Borders.MapNamesItem->isChecked();
        RedrawMiniMap();
    });
    connect(Borders.MiniMap, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { Borders.mnuMap->popup(Borders.MiniMap->mapToGlobal(at)); });

    Borders.ChronicleLabel = MakeLabel(page, "Label111", 4, 202, 170, 16);
    Borders.ChronicleText = new QTextEdit(page);
    Borders.ChronicleText->setObjectName("RichEdit4");
    Borders.ChronicleText->setReadOnly(true);
    Borders.ChronicleText->setGeometry(4, 220, 170, 86);
    Borders.ChronicleText->viewport()->setMouseTracking(true);
    Borders.ChronicleText->viewport()->installEventFilter(this);

    auto* kordalts = new TKordaltGrid(page);
    Borders.dgrKordalts = kordalts;
    kordalts->setObjectName("dgrKordalts");
    kordalts->SetDefaultRowHeight(kKordaltRowHeight);
    kordalts->setGeometry(
        4, 310, 628,
        2 * kordalts->frameWidth() + kKordaltRowsShown * (kKordaltRowHeight + kordalts->GridLineWidth()));
    kordalts->SetColCount(8);
    kordalts->SetFixedCols(0);
    kordalts->SetFixedRows(1);
    kordalts->SetRowCount(2);
    kordalts->SetOptions(kordalts->Options() | goRowSelect);
    kordalts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    kordalts->setMouseTracking(true);
    kordalts->OnDrawCell = [this](TExDrawGrid*, int col, int row, const TRect& rect, TGridDrawState state) {
        DrawKordaltCell(col, row, rect, state);
    };
    connect(kordalts, &TExDrawGrid::OnClick, this, [this] { KordaltListClick(); });
    connect(kordalts, &TExDrawGrid::OnMouseDown, this, [this](Qt::MouseButton button, int x, int y) {
        if (button != Qt::RightButton) return;
        int col = -1, row = -1;
        Borders.dgrKordalts->MouseToCell(x, y, col, row);
        if (row >= 1) Borders.dgrKordalts->SetRow(row);
    });
    connect(kordalts, &TExDrawGrid::OnMouseMove, this, [this] {
        if (isActiveWindow()) Borders.dgrKordalts->setFocus();
    });
    Borders.mnuKordaltOrder = new QMenu(this);
    Borders.mnuKordaltOrder->setObjectName("mnuKordaltOrder");
    connect(Borders.mnuKordaltOrder, &QMenu::aboutToShow, this, [this] { mnuKordaltOrderPopup(); });
    kordalts->OnContextMenu = [this](QPoint at) { Borders.mnuKordaltOrder->popup(at); };

    Borders.ReserveLabel = new TExLabel(page);
    Borders.ReserveLabel->setObjectName("ExLabel4");
    Borders.ReserveLabel->setGeometry(252, 8, 72, 18);
    Borders.ReserveCount = new TExLabel(page);
    Borders.ReserveCount->setObjectName("ExLabel5");
    Borders.ReserveCount->setGeometry(252, 28, 72, 18);
    // Under the reserve, whose soldiers the slider moves to the front.
    QFrame* front = Borders.FrontPanel = new QFrame(page);
    front->setObjectName("FrontPanel");
    front->setGeometry(250, 50, 74, 148);
    front->setFrameStyle(QFrame::Panel | QFrame::Raised);
    front->setAutoFillBackground(true);
    Borders.FrontSliderLabel = MakeLabel(front, "Label49", 4, 4, 66, 16);
    Borders.FrontSlider = MakeTrackBar(front, "TrackBar1", 4, 22, 24, 122, true);
    Borders.FrontSlider->setInvertedAppearance(false);
    Borders.FrontSoldiersLabel = MakeLabel(front, "Label1", 30, 36, 40, 16);
    Borders.Label_km = MakeLabel(front, "Label_km", 30, 62, 40, 16);
    connect(Borders.FrontSlider, &QSlider::valueChanged, this, [this] { FrontSliderChange(); });
    Borders.RestAll = MakeSpeedButton(page, "SpeedButton6", QRect(180, 200, 140, 26));
    connect(Borders.RestAll, &TExSpeedButton::OnClick, this, [this] { RestAllClick(); });
    Borders.ShowGraph = MakeSpeedButton(page, "ShowGraph", QRect(180, 232, 140, 26));
    connect(Borders.ShowGraph, &TExSpeedButton::OnClick, this, [this] { ShowGraphClick(); });
    ShowFrontControls(false);
}

void TMain::LocalizeBordersPage() {
    Borders.ReserveLabel->SetCaption(Qs(LangText(kBordersReserve)));
    Borders.ChronicleLabel->setText(Qs(LangText(kBordersChronicle)));
    Borders.RestAll->SetCaption(Qs(LangText(kBordersAllRest)));
    Borders.RestAll->setToolTip(Qs(LangText(kBordersAllRestHint)));
    Borders.ShowGraph->SetCaption(Qs(LangText(kBordersCharts)));
    Borders.FrontSliderLabel->setText(Qs(LangText(kBordersFrontSlider)));
    Borders.NormalMapItem->setText(Qs(LangText(kMiniMapNormal)));
    Borders.WorldMapItem->setText(Qs(LangText(kMiniMapWorld)));
    // Wide enough for the longest names and counts.
    static constexpr int countryWidths[4] = {92, 44, 60, 25};
    for (int c = 0; c < 4; ++c) Borders.dgrCountries->SetColWidths(c, countryWidths[c]);
    // Wide enough for the column titles, the Kordalts' names and the orders
    // to attack the states of the shipped settings file.
    static constexpr int kordaltWidths[8] = {110, 56, 66, 40, 44, 50, 150, 44};
    for (int c = 0; c < 8; ++c) Borders.dgrKordalts->SetColWidths(c, kordaltWidths[c]);
    KordaltTexts.KordaltOrderNames.assign(4, {});
    KordaltTexts.KordaltColumnTitles.assign(8, {});
    static constexpr TText orderTexts[4] = {kOrderFortifyName, kOrderAttackName, kOrderRestName,
                                            kOrderTrainName};
    for (int i = 0; i < 4; ++i)
        KordaltTexts.KordaltOrderNames[static_cast<size_t>(i)] = LangText(orderTexts[i]);
    static constexpr TText titleTexts[8] = {kKordaltName,  kKordaltAge,     kKordaltSpeed,
                                            kKordaltMark,  kKordaltMastery, kKordaltCondition,
                                            kKordaltOrder, kKordaltTroops};
    for (int i = 0; i < 8; ++i)
        KordaltTexts.KordaltColumnTitles[static_cast<size_t>(i)] = LangText(titleTexts[i]);
    KordaltTexts.KordaltDismissText = LangText(kDismissKordalt);
}

std::vector<int> TMain::CountryRows() const {
    std::vector<int> rows;
    const int gos = Game.CurrentGos;
    if (gos >= 1 && gos <= Game.GosCount && Game.mGos[gos].Alive) rows.push_back(gos);
    for (int j = 1; j <= Game.GosCount; ++j)
        if (j != gos && Game.mGos[j].Alive && BordersCurrent(j)) rows.push_back(j);
    for (int j = 1; j <= Game.GosCount; ++j)
        if (j != gos && Game.mGos[j].Alive && !BordersCurrent(j)) rows.push_back(j);
    return rows;
}

void TMain::DrawCountryCell(int col, int row, const TRect& rect) {
    const std::vector<int> rows = CountryRows();
    if (row < 0 || row >= static_cast<int>(rows.size())) return;
    TExDrawGrid* grid = Borders.dgrCountries;
    QPainter& canvas = *grid->Canvas();
    const int j = rows[static_cast<size_t>(row)];
    const bool visible = j == Game.CurrentGos || BordersCurrent(j);
    // The grid takes no input: no row shows as selected.
    const QColor fill = ToQColor(row % 2 == 1 ? clWhite : clBtnFace);
    canvas.fillRect(rect.ToQRect(), fill);
    canvas.setBrush(fill);
    canvas.setPen(ToQColor(visible ? clBlack : clGrayText));
    const TGosRec& rec = Game.mGos[j];
    const bool hidden = !visible && !Borders.WorldMapItem->isChecked();
    switch (col) {
        case 0:
            grid->DrawCellStr(rect, Qs(rec.Name.Str()), taLeftJustify);
            break;
        case 1:
            grid->DrawCellStr(rect, hidden ? "..." : Dec(Map ? Map->RegionSize(static_cast<uint8_t>(j)) : 0),
                              taRightJustify);
            break;
        case 2:
            grid->DrawCellStr(rect, hidden ? "..." : Dec(Population(static_cast<uint8_t>(j))),
                              taRightJustify);
            break;
        case 3: {
            canvas.fillRect(rect.ToQRect(), ToQColor(GosColors[j]));
            const bool showAttitude =
                PlayMode.GameMode == kLocalGame || (PlayMode.GameMode == kServer && CountHumanGos() == 1);
            if (showAttitude && visible && j != Game.CurrentGos)
                DrawAttitudeIcon(canvas, QPoint(rect.left, rect.top),
                                 AttitudeIcon(rec.Relations[Game.CurrentGos].Attitude));
            break;
        }
        default:
            break;
    }
}

void TMain::DrawKordaltCell(int col, int row, const TRect& rect, unsigned state) {
    TExDrawGrid* grid = Borders.dgrKordalts;
    QPainter& canvas = *grid->Canvas();
    if (row == 0) {
        canvas.fillRect(rect.ToQRect(), ToQColor(clBtnFace));
        canvas.setBrush(ToQColor(clBtnFace));
        canvas.setPen(ToQColor(clBlue));
        grid->DrawCellStr(rect, Qs(KordaltTexts.KordaltColumnTitles[static_cast<size_t>(col)]), taCenter);
        return;
    }
    const bool selected = (state & gdSelected) != 0;
    // The classic highlight, on which the lime and light red of a selected row stand out.
    const QColor fill = ToQColor(selected ? clHighlight : row % 2 == 0 ? kKordaltEvenRow : clWhite);
    canvas.fillRect(rect.ToQRect(), fill);
    canvas.setBrush(fill);
    QColor text = ToQColor(selected ? clHighlightText : clBlack);
    if (row - 1 >= static_cast<int>(KordaltRows.size())) return;
    const int k = KordaltRows[static_cast<size_t>(row - 1)];
    const TKordaltRec& rec = Kordalt(k);
    QString value;
    TAlignment align = taRightJustify;
    switch (col) {
        case 0:
            value = Qs(rec.Name.Str());
            align = taLeftJustify;
            break;
        case 1:
            value = Dec(rec.Age);
            if (rec.Age >= 60) text = ToQColor(selected ? kLightRed : clRed);
            break;
        case 2:
            value = Dec(rec.Speed);
            break;
        case 3:
            value = Dec(rec.Mark);
            break;
        case 4:
            value = Dec(rec.Mastery);
            if (rec.Mastery == 100) text = ToQColor(selected ? clLime : clGreen);
            break;
        case 5:
            value = Dec(rec.Condition);
            if (rec.Condition == 100) text = ToQColor(selected ? clLime : clGreen);
            break;
        case 6:
            value = Qs(KordaltOrderText(k));
            align = taLeftJustify;
            break;
        default:
            value = Dec(KordaltTroops(k));
            break;
    }
    canvas.setPen(text);
    grid->DrawCellStr(rect, value, align);
}

void TMain::FillKordaltList(int) {
    KordaltRows.clear();
    for (int k = 1; k <= KordaltSlotCount; ++k)
        if (Kordalt(k).Owner == Game.CurrentGos) KordaltRows.push_back(k);
    TExDrawGrid* grid = Borders.dgrKordalts;
    grid->SetRowCount(std::max(2, static_cast<int>(KordaltRows.size()) + 1));
    grid->SetFixedRows(1);
    int rowsHeight = 0;
    for (int row = 0; row < grid->RowCount(); ++row)
        rowsHeight += grid->RowHeights(row) + grid->GridLineWidth();
    const bool scrolls = rowsHeight > grid->height() - 2 * grid->frameWidth();
    grid->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    if (scrolls) {
        grid->SetColWidths(7, 42);
    } else {
        int used = 8 * grid->GridLineWidth();
        for (int c = 0; c < 7; ++c) used += grid->ColWidths(c);
        // The rest of the width; the grid's frame takes the place of the 3 pixels.
        grid->SetColWidths(7, grid->width() - 2 * grid->frameWidth() - used);
    }
    grid->viewport()->update();
}

int TMain::SelectedKordalt() const {
    const int index = Borders.dgrKordalts->Row() - 1;
    if (index < 0 || index >= static_cast<int>(KordaltRows.size())) return 0;
    return KordaltRows[static_cast<size_t>(index)];
}

void TMain::ShowFrontControls(bool visible) {
    Borders.FrontPanel->setVisible(visible);
    Borders.FrontSlider->setVisible(visible);
    Borders.FrontSoldiersLabel->setVisible(visible);
    Borders.Label_km->setVisible(visible);
    Borders.FrontSliderLabel->setVisible(visible);
}

void TMain::RefreshBordersPage() {
    const TGosRec& rec = CurrentRec();
    RecallIdleFrontSoldiers(Game.CurrentGos);
    Borders.ReserveCount->SetCaption(Dec(rec.Reserve));
    const int k = SelectedKordalt();
    // An attacker between two orders has left his front.
    if (k != 0 && Kordalt(k).Order == kOrderAttack && Kordalt(k).Front != 0) {
        const int32_t onFront = FrontSoldiers(Game.CurrentGos, Kordalt(k).Front);
        QSlider* slider = Borders.FrontSlider;
        slider->blockSignals(true);
        slider->setMaximum(onFront + rec.Reserve);
        slider->setValue(onFront);
        slider->blockSignals(false);
        Borders.FrontSoldiersLabel->setText(Dec(slider->value()));
        Borders.Label_km->setText(Qs(
            FormatText(LangText(kBordersSquaresWon), {SquaresToCapture(Kordalt(k).Speed, slider->value())})));
        ShowFrontControls(true);
    } else {
        ShowFrontControls(false);
    }
    CheckGameState(Cp("После прорисовки войск:"));
}

void TMain::FrontSliderChange() {
    const int k = SelectedKordalt();
    if (k == 0) return;
    const uint8_t f = Kordalt(k).Front;
    if (f != 0) {
        PlaceFrontSoldiers(Game.CurrentGos, f, Borders.FrontSlider->value());
        Borders.dgrKordalts->viewport()->update();
    }
    RefreshBordersPage();
}

void TMain::KordaltListClick() { RefreshBordersPage(); }

void TMain::mnuKordaltOrderPopup() {
    QMenu* menu = Borders.mnuKordaltOrder;
    menu->clear();
    const int k = SelectedKordalt();
    if (k == 0) return;
    const TKordaltRec& rec = Kordalt(k);
    auto add = [this, menu](const std::string& caption, int tag, bool isDefault) {
        QAction* item = menu->addAction(Qs(caption));
        item->setData(tag);
        if (isDefault) menu->setDefaultAction(item);
        connect(item, &QAction::triggered, this, [this, tag] { MenuOnClick(tag); });
    };
    add(KordaltTexts.KordaltOrderNames[2], 1, rec.Order == kOrderRest);
    add(KordaltTexts.KordaltOrderNames[3], 2, rec.Order == kOrderTrain);
    add(KordaltTexts.KordaltOrderNames[0], kFortifyTag, rec.Order == kOrderFortify);
    menu->addSeparator();
    for (int j = 1; j <= Game.GosCount; ++j)
        if (j != Game.CurrentGos && Game.mGos[j].Alive && BordersCurrent(j))
            add(FormatText(KordaltTexts.KordaltOrderNames[1], {Game.mGos[j].Name.Str()}), j + kAttackTagBase,
                rec.Order == kOrderAttack && rec.Front == j);
    menu->addSeparator();
    add(KordaltTexts.KordaltDismissText, kDismissTag, false);
}

void TMain::MenuOnClick(int tag) {
    const int k = SelectedKordalt();
    if (k == 0) return;
    const uint8_t gos = Game.CurrentGos;
    const uint8_t order = Kordalt(k).Order;
    // A dismissal asks first: he leaves his front only when it is confirmed.
    if (tag != kDismissTag && (order == kOrderFortify || order == kOrderAttack)) {
        ReleaseKordaltFromFront(gos, k);
        RefreshBordersPage();
    }
    if (tag == 1) {
        OrderKordaltRest(gos, k);
    } else if (tag == 2) {
        OrderKordaltTrain(gos, k);
    } else if (tag == kFortifyTag) {
        FortifyWithKordalt(gos, k);
    } else if (tag == kDismissTag) {
        if (Ask(LangText(kDismissKordaltQuestion))) DismissKordalt(gos, k);
        FillKordaltList(gos);
    } else if (tag > kAttackTagBase) {
        AttackWithKordalt(gos, k, static_cast<uint8_t>(tag - kAttackTagBase));
    }
    Borders.dgrKordalts->viewport()->update();
    RefreshBordersPage();
    if (tag > kAttackTagBase) Borders.FrontSlider->setValue(Borders.FrontSlider->maximum());
}

void TMain::RestAllClick() {
    RestAllKordalts(Game.CurrentGos);
    RefreshBordersPage();
    Borders.dgrKordalts->viewport()->update();
    TabSheetBorders->update();
}

void TMain::DrawMiniMap() {
    QImage image(302, 302, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (Map) {
        QPainter canvas(&image);
        canvas.setFont(Borders.MiniMap->font());
        DrawMap(canvas, TRect{1, 1, 300, 300});
    }
    Borders.MiniMap->setPixmap(QPixmap::fromImage(image));
}

void TMain::RedrawMiniMap() {
    MapView.MapMode = MapModeFromMenu(Borders.NormalMapItem->isChecked(), Borders.WorldMapItem->isChecked());
    DrawMiniMap();
    Borders.dgrCountries->viewport()->update();
}

}  // namespace kordalt
