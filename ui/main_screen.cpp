#include "ui/main_screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <utility>

#include "controls/button_glyph.h"
#include "controls/draw_grid.h"
#include "controls/list_box.h"
#include "controls/scroll_text_panel.h"
#include "controls/speed_button.h"
#include "game/game_loop.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/player_actions.h"
#include "game/rules_data.h"
#include "game/saved_game.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "platform/arith.h"
#include "platform/cp1251.h"
#include "platform/fatal.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "ui/help_window.h"
#include "ui/main_screen_support.h"
#include "ui/picture_store.h"
#include "ui/preference.h"
#include "ui/screens.h"
#include "ui/start.h"

namespace kordalt {

TMainScreenState MainState;

namespace {

TMainNetwork* network = nullptr;

constexpr int kSecondsPerDay = 86400;

bool LocalGame() { return PlayMode.GameMode == kLocalGame; }

}  // namespace

TMainNetwork* MainNetwork() { return network; }

TMainNetwork* SetMainNetwork(TMainNetwork* value) {
    TMainNetwork* previous = network;
    network = value;
    return previous;
}

int CountLiveGos() {
    int count = 0;
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Alive != 0) ++count;
    return count;
}

int CountHumanGos() {
    int count = 0;
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Alive != 0 && Game.mGos[i].Player != 0) ++count;
    return count;
}

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
    setObjectName("StatusBar1");
    static constexpr int widths[8] = {70, 120, 120, 80, 110, 20, 80, 40};
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < 8; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QString("StatusBar1Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAlignment(i == 6 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        panel->setFixedWidth(widths[i]);
        layout->addWidget(panel);
        panels_.push_back(panel);
    }
    layout->addStretch();
}

QString TStatusBar::PanelText(int index) const { return Panel(index)->text(); }

TMain::TMain(QWidget* parent) : QDialog(parent) {
    setObjectName("Main");
    setFixedSize(640, 480);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    FormCreate();
}

TMain::~TMain() {
    if (Main == this) Main = nullptr;
}

void TMain::BuildFrame() {
    Pages = new QTabWidget(this);
    Pages->setObjectName("PageControl1");
    Pages->setGeometry(0, 0, 640, 432);
    const char* names[6] = {"TabSheet0", "TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheetChat"};
    QWidget** sheets[6] = {&TabSheetInfo,    &TabSheetEconomy, &TabSheetScience,
                           &TabSheetBorders, &TabSheetShop,    &TabSheetChat};
    for (int i = 0; i < 6; ++i) {
        *sheets[i] = new QWidget();
        (*sheets[i])->setObjectName(names[i]);
        Pages->addTab(*sheets[i], QString());
    }
    connect(Pages, &QTabWidget::currentChanged, this, [this] { PageChange(); });

    auto makeButton = [this](const char* name, int x) {
        auto* button = new QPushButton(this);
        button->setObjectName(name);
        button->setGeometry(x, 434, 100, 24);
        // Enter in an edit does not end the turn; a focused button takes Enter itself.
        button->setAutoDefault(false);
        button->installEventFilter(this);
        return button;
    };
    NextButton = makeButton("BitBtn1", 318);
    PassButton = makeButton("BitBtn3", 424);
    ExitButton = makeButton("BitBtn2", 530);
    HelpButton = makeButton("BitBtn4", 4);
    NextButton->setEnabled(false);
    connect(NextButton, &QPushButton::clicked, this, [this] { PressNext(); });
    connect(PassButton, &QPushButton::clicked, this, [this] { PressPass(); });
    connect(ExitButton, &QPushButton::clicked, this, [this] { ExitClick(); });
    connect(HelpButton, &QPushButton::clicked, this, [this] { ShowHelpTopic(HelpContext); });
    // F1 opens the open page's topic, as the help button does.
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, HelpButton, &QPushButton::click);
    ExtraExit = MakeHiddenButton(this, "ExtraExit");
    connect(ExtraExit, &QPushButton::clicked, this, [this] { PressExtraExit(); });

    StatusBar = new TStatusBar(this);
    StatusBar->setGeometry(0, 460, 640, 20);
    ChatSignal = new QFrame(StatusBar);
    ChatSignal->setObjectName("ChatSignal");
    ChatSignal->setAutoFillBackground(true);
    const QRect lamp = StatusBar->Panel(5)->geometry();
    ChatSignal->setGeometry(70 + 120 + 120 + 80 + 110 + 5 * 2 + 5, 6, 10, 10);
    (void)lamp;
    SetPaletteColor(*ChatSignal, QPalette::Window, clRed);

    TurnClock = new QTimer(this);
    TurnClock->setObjectName("Timer1");
    TurnClock->setInterval(1000);
    connect(TurnClock, &QTimer::timeout, this, [this] { TurnClockTick(); });
    KeepAliveTimer = new QTimer(this);
    KeepAliveTimer->setObjectName("Timer2");
    KeepAliveTimer->setInterval(300000);
    connect(KeepAliveTimer, &QTimer::timeout, this, [this] { KeepAliveTick(); });
    KeepAliveTimer->start();

    SaveDialog = new QFileDialog(this);
    SaveDialog->setObjectName("SaveDialog1");
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setDefaultSuffix("kordalt");
    FitFileDialog(*SaveDialog);
}

void TMain::FormCreate() {
    BuildFrame();
    BuildInfoPage();
    BuildEconomyPage();
    BuildSciencePage();
    BuildBordersPage();
    BuildShopPage();
    BattleUnits.clear();
    Localize();
    LoadGlyphs();
    SetBackgrounds();
    HelpContext = 10;
    Pages->setCurrentIndex(0);
    PassButton->setFocus();
    SetActivationHandler(this, [this] { FormActivate(); });
}

void TMain::Localize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen && screen->size() == QSize(640, 480)) setWindowFlag(Qt::FramelessWindowHint, true);
    setWindowTitle(Qs(LangText(kMainCaption)));
    QPushButton* buttons[4] = {NextButton, ExitButton, PassButton, HelpButton};
    for (int i = 0; i < 4; ++i) {
        buttons[i]->setToolTip(Qs(LangText(kMainButtonHints[i])));
        buttons[i]->setText(Qs(LangText(kMainButtonCaptions[i])));
    }
    static constexpr TText tabTexts[6] = {kInfoTab,    kEconomyTab, kScienceTab,
                                          kBordersTab, kShopTab,    kChatTab};
    for (int i = 0; i < 6; ++i) Pages->setTabText(i, Qs(LangText(tabTexts[i])));
    LocalizeInfoPage();
    LocalizeEconomyPage();
    LocalizeSciencePage();
    LocalizeBordersPage();
    LocalizeShopPage();
    SaveDialog->setDirectory(QString::fromStdString(ProgramDirectory()));
    SaveDialog->setWindowTitle(Qs(LangText(kSaveDialogTitle)));
    SaveDialog->setNameFilter(DialogFilter(Qs(LangTextRaw(kSavedGameFilter))));
    ApplyLanguageFont(this);
    for (TScrollTextPanel* panel : {Shop.HelpScroll, Economy.HelpScroll, Science.HelpScroll})
        FitScrollLines(*panel);
}

void TMain::LoadGlyphs() {
    if (!PictureList) return;
    const std::pair<TExSpeedButton*, int> speedButtons[] = {{Borders.ShowGraph, 25}, {Borders.RestAll, 26},
                                                            {Science.RecallAll, 24}, {Shop.Purchase, 27},
                                                            {Info.SaveGame, 17},     {Info.Settings, 10}};
    for (const auto& [button, index] : speedButtons) {
        QImage glyph;
        PictureList->LoadGlyph(glyph, index);
        button->SetGlyph(glyph);
        button->SetNumGlyphs(2);
        button->SetLayout(blGlyphLeft);
    }
    const std::pair<QPushButton*, int> bitButtons[] = {
        {NextButton, 14}, {HelpButton, 15}, {PassButton, 16}, {ExitButton, 13}};
    for (const auto& [button, index] : bitButtons) {
        QImage glyph;
        PictureList->LoadGlyph(glyph, index);
        if (glyph.isNull()) continue;
        // The first of the glyph's two pictures, its lower-left colour transparent.
        QImage face = glyph.copy(0, 0, glyph.height(), glyph.height()).convertToFormat(QImage::Format_ARGB32);
        const QRgb transparent = face.pixel(0, face.height() - 1);
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x)
                if (face.pixel(x, y) == transparent) face.setPixel(x, y, qRgba(0, 0, 0, 0));
        button->setIcon(QIcon(QPixmap::fromImage(face)));
    }
}

// The set-up window's background, stretched, behind every page.
void TMain::SetBackgrounds() {
    if (!Start || !Start->SetupBackground || Start->SetupBackground->Picture.isNull()) return;
    const QPixmap picture = QPixmap::fromImage(Start->SetupBackground->Picture.scaled(632, 429));
    const std::pair<QWidget*, const char*> pages[] = {
        {TabSheetInfo, "Image1"},    {TabSheetEconomy, "Image2"}, {TabSheetScience, "Image3"},
        {TabSheetBorders, "Image4"}, {TabSheetShop, "Image5"},    {TabSheetChat, "Image7"}};
    for (const auto& [page, name] : pages) {
        QLabel* image = MakeLabel(page, name, 0, 0, 632, 429);
        image->setPixmap(picture);
        image->lower();
    }
}

TTurnResult TMain::RunTurn() {
    modalResult_ = 0;
    MainState.TurnResult.reset();
    // The turn's clock runs from here to the end of the turn, across dialogs.
    turnClock_ = 0;
    pendingPress_ = TClockPress::None;
    setAttribute(Qt::WA_ShowModal, true);  // shown before exec, so modal from the start
    show();
    FormActivate();
    const int result = ExecModal(*this);
    if (result == 1) return TTurnResult::Next;
    if (result == 2) return TTurnResult::Pass;
    return TTurnResult::Quit;
}

void TMain::FormActivate() {
    // A hidden window does not become active.
    if (PlayMode.TurnShown != 1 || !isVisible()) return;
    if (Game.MapSize < 50 || Game.MapSize > 100) FatalExit(kBadMapSizeExitCode, "map size out of range");
    const uint8_t gos = Game.CurrentGos;
    for (int j = 1; j <= MaxGos; ++j) MainState.GosBorders[j] = 0;
    for (int j = 1; j <= Game.GosCount; ++j)
        if (j != gos)
            MainState.GosBorders[j] = Map && Map->AreNeighbours(gos, static_cast<uint8_t>(j)) ? 1 : 0;
    MainState.GosBorders[gos] = 1;
    DrawMiniMap();
    Borders.ShowGraph->setVisible(Game.DifficultyLevel == 0 && Game.Year > 1 && LocalGame());
    Borders.WorldMapItem->setEnabled(Game.DifficultyLevel == 0);
    Borders.WorldMapItem->setVisible(Game.DifficultyLevel == 0);
    UpdateStatusPanels(ClockPanelSeconds());
    Pages->setTabVisible(5, !LocalGame());
    if (LocalGame()) ChatSignal->hide();
    if (PlayMode.IsInternetGame && PlayMode.GameMode == kServer && network)
        network->SendGameUpdate(Game.Year, LangText(kWebLanguage));
    Info.SaveGame->setEnabled(PlayMode.GameMode != kNetworkClient);
    if (PlayMode.IsInternetGame) {
        Info.SaveGame->setEnabled(false);
        Borders.WorldMapItem->setEnabled(false);
        Borders.WorldMapItem->setVisible(false);
    }
    Borders.dgrCountries->SetRowCount(std::max(1, CountLiveGos()));
    Borders.dgrCountries->viewport()->update();
    FillKordaltList(gos);
    MainState.TurnResult.reset();
    NextButton->setEnabled(false);
    StatusBar->Panel(0)->setText(Qs(FormatText(LangText(kStatusYear), {Game.Year})));
    StatusBar->Panel(1)->setText(Qs(CurrentRec().Name.Str()));
    StatusBar->Panel(2)->setText(Qs(CurrentRec().PlayerName.Str()));
    Info.EventsText->clear();
    Info.ChronicleText->clear();
    SetFontColor(Info.ChronicleText, clBlack);
    Info.BattleText->clear();
    Info.BattleCharts->hide();
    RebuildBattleList();
    FillEvents();
    ShowChronicle(Info.ChronicleText, Game.BattleChronicle);
    MainState.ScienceDirty = true;
    StartScrollPanels(ScrollHelpOn());
    RecallIdleFrontSoldiers(Game.CurrentGos);
    const int page = MainState.RememberPage ? LastPage : 0;
    if (Pages->currentIndex() == page)
        PageChange();
    else
        Pages->setCurrentIndex(page);
    ShowChronicle(Borders.ChronicleText, Game.BattleChronicle);
    if (!TurnClock->isActive()) TurnClock->start();
}

void TMain::FormDeactivate() {
    if (PlayMode.TurnShown != 1) return;
    StartScrollPanels(false);
    LastPage = Pages->currentIndex();
}

// The settings dialog's box; without the dialog, the settings file's key.
bool TMain::ScrollHelpOn() const {
    if (Preference) return Preference->CheckBoxScroll->isChecked();
    return LanguageFile && LanguageFile->ReadBool("Preferences", "ShowScrollHelp", false);
}

void TMain::StartScrollPanels(bool active) {
    Shop.HelpScroll->SetActive(active);
    Economy.HelpScroll->SetActive(active);
    Science.HelpScroll->SetActive(active);
}

void TMain::showEvent(QShowEvent* event) {
    HidePreviousScreen();
    QDialog::showEvent(event);
}

void TMain::hideEvent(QHideEvent* event) {
    TurnClock->stop();
    pendingPress_ = TClockPress::None;
    QDialog::hideEvent(event);
}

void TMain::UpdateStatusPanels(int seconds) {
    const int64_t m = Trunc(seconds / 60.0L);
    StatusBar->Panel(7)->setText(Dec(m) + ":" + QString("%1").arg(seconds - 60 * m, 2, 10, QChar('0')));
    const TGosRec& rec = CurrentRec();
    StatusBar->Panel(3)->setText(Dollars(rec.Money));
    QStringList levels;
    for (const TResearchRec& r : rec.Research) levels << Dec(r.Level);
    StatusBar->Panel(4)->setText(levels.join(':'));
}

void TMain::TurnClockTick() {
    int s = ClockSeconds();
    if (s < kSecondsPerDay - 1) ++s;
    turnClock_ = static_cast<double>(s) / kSecondsPerDay;
    const int minutes = (s / 60) % 60;
    const int seconds = s % 60;
    // A press held back while the player answered a question comes first.
    if (pendingPress_ != TClockPress::None && dialogsOpen_ == 0)
        ClockPress(std::exchange(pendingPress_, TClockPress::None));
    if (MainState.AutoPass) ClockPress(TClockPress::Pass);
    if (PlayMode.TurnMinutes > 0 && minutes == PlayMode.TurnMinutes) ClockPress(TClockPress::Next);
    UpdateStatusPanels(ClockPanelSeconds());
    if (!LocalGame()) {
        const TColor lamp = PaletteColor(*ChatSignal, QPalette::Window);
        SetPaletteColor(*ChatSignal, QPalette::Window, ColorToRGB(lamp) == clRed ? clBlue : clRed);
        const TExitGame exitGame = network ? network->ExitGame() : TExitGame::None;
        if (exitGame == TExitGame::ClosedByServer || exitGame == TExitGame::SessionLost)
            ClockPress(TClockPress::ExtraExit);
        if ((seconds + 9) % 10 == 0) RebuildChatPlayers();
    }
}

// While a box or dialog of the screen is open the press waits for the next
// tick after it closes, so the player's answer is acted on first.
void TMain::ClockPress(TClockPress press) {
    if (!isVisible()) return;
    if (dialogsOpen_ > 0) {
        if (pendingPress_ == TClockPress::None) pendingPress_ = press;
        return;
    }
    switch (press) {
        case TClockPress::Next:
            PressNext();
            break;
        case TClockPress::Pass:
            PressPass();
            break;
        case TClockPress::ExtraExit:
            PressExtraExit();
            break;
        case TClockPress::None:
            break;
    }
}

int TMain::ExecOver(QDialog& dialog) {
    FormDeactivate();
    ++dialogsOpen_;
    const int result = ExecModal(dialog);
    --dialogsOpen_;
    return result;
}

int TMain::ClockSeconds() const { return static_cast<int>(Round(turnClock_ * kSecondsPerDay)); }

// The clock's panel: the time spent in a local game, else the time left
// (the time spent when the turn has no limit).
int TMain::ClockPanelSeconds() const {
    const int spent = ClockSeconds() % 3600;
    return LocalGame() || PlayMode.TurnMinutes <= 0 ? spent : PlayMode.TurnMinutes * 60 - spent;
}

void TMain::KeepAliveTick() {
    if (PlayMode.IsInternetGame && PlayMode.GameMode == kServer && network)
        network->SendGameUpdate(Game.Year, LangText(kWebLanguage));
}

void TMain::Autosave() {
    std::string name = "autosave";
    if (!LocalGame()) MakeAutosaveName(name);
    if (Game.DifficultyLevel == 2 || PlayMode.GameMode == kNetworkClient) return;
    SaveReporting(FileSystemName(name + ".kordalt"));
}

void TMain::SaveReporting(const std::string& fileName) {
    try {
        SaveGame(fileName);
    } catch (const ESaveError& e) {
        Tell(e.what());
    }
}

void TMain::NextClick() {
    Autosave();
    MainState.TurnResult = TTurnResult::Next;
}

void TMain::PassClick() {
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    if ((mods & Qt::ControlModifier) && (mods & Qt::ShiftModifier)) MainState.AutoPass = !MainState.AutoPass;
    Autosave();
    MainState.TurnResult = TTurnResult::Pass;
}

void TMain::PressNext() {
    modalResult_ = 1;
    NextClick();
    FinishModal();
}

void TMain::PressPass() {
    modalResult_ = 2;
    PassClick();
    FinishModal();
}

void TMain::PressExtraExit() {
    modalResult_ = 1;
    ExtraExitClick();
    FinishModal();
}

void TMain::ExtraExitClick() { MainState.TurnResult = TTurnResult::Next; }

void TMain::Tell(const std::string& text) {
    FormDeactivate();
    ++dialogsOpen_;
    ShowMessageBox(TMsgType::Plain, Qs(text));
    --dialogsOpen_;
}

bool TMain::Ask(const std::string& text) {
    FormDeactivate();
    ++dialogsOpen_;
    const bool yes = AskYesNo(Qs(text));
    --dialogsOpen_;
    return yes;
}

bool TMain::AskSaveOnExit() {
    const bool confirm = LanguageFile && LanguageFile->ReadBool("Preferences", "ConfirmSaveGame", false);
    return confirm && (PlayMode.GameMode == kServer || PlayMode.GameMode == kLocalGame) &&
           Ask(LangText(kSaveBeforeLeavingQuestion));
}

void TMain::ExitClick() {
    if (!Ask(LangText(kEndGameQuestion))) return;
    if (!PlayMode.IsInternetGame && AskSaveOnExit()) SaveGameClick();
    MainState.TurnResult = TTurnResult::Quit;
    modalResult_ = 3;
    FinishModal();
}

bool TMain::FormClose() {
    if (MainState.TurnResult) return true;
    if (!Ask(LangText(kEndGameQuestion))) {
        modalResult_ = 0;
        return false;
    }
    const bool confirm = LanguageFile && LanguageFile->ReadBool("Preferences", "ConfirmSaveGame", false);
    if (confirm && (PlayMode.GameMode == kServer || PlayMode.GameMode == kLocalGame) &&
        Ask(LangText(kSaveBeforeLeavingQuestion)))
        SaveGameClick();
    modalResult_ = 3;
    return true;
}

void TMain::FinishModal() {
    if (modalResult_ == 0 || !isVisible()) return;
    if (!FormClose()) return;
    done(modalResult_);
}

// The close box: the close handler asks when no button ended the turn.
void TMain::reject() {
    if (!isVisible()) return;
    if (!MainState.TurnResult && !FormClose()) return;
    done(modalResult_ != 0 ? modalResult_ : 3);
}

void TMain::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        PressPass();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            button->click();
            return true;
        }
    }
    if (watched == PassButton && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text == "a" || text == "p") {
            PressPass();
            return true;
        }
    }
    if (watched == static_cast<QObject*>(Info.ChatEdit) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ChatEditKeyPress(key);
            return true;
        }
    }
    if (watched == static_cast<QObject*>(Shop.EditName) && event->type() == QEvent::KeyPress &&
        NameKeyRefused(static_cast<QKeyEvent*>(event)))
        return true;
    if (Borders.ChronicleText && watched == Borders.ChronicleText->viewport() &&
        event->type() == QEvent::MouseMove && isActiveWindow())
        Borders.ChronicleText->setFocus();
    if (watched == TabSheetChat && event->type() == QEvent::Hide) TabSheetChatExit();
    return QDialog::eventFilter(watched, event);
}

void TMain::SaveGameClick() {
    if (PlayMode.IsInternetGame) return;
    const std::string name = FormatText(Cp("%s_%d"), {CurrentRec().PlayerName.Str(), Game.Year});
    SaveDialog->selectFile(Qs(name));
    if (ExecOver(*SaveDialog) != QDialog::Accepted || SaveDialog->selectedFiles().isEmpty()) return;
    SaveReporting(SaveDialog->selectedFiles().first().toStdString());  // a path: UTF-8
}

void TMain::SettingsClick() {
    if (!Preference) return;
    Preference->Prepare(false);
    ExecOver(*Preference);
    StartScrollPanels(Preference->CheckBoxScroll->isChecked());
}

void TMain::PageChange() {
    const int page = Pages->currentIndex();
    static constexpr int helpContexts[6] = {10, 11, 12, 13, 14, 16};
    if (page < 0 || page > 5) return;
    HelpContext = helpContexts[page];
    switch (page) {
        case 1:
            RefreshEconomyPage();
            break;
        case 2:
            if (MainState.ScienceDirty) RefreshSciencePage();
            break;
        case 3:
            RefreshBordersPage();
            break;
        case 4:
            Shop.EditName->setText(Qs(LangText(kDefaultKordaltName)));
            RefreshShopPrice();
            break;
        case 5:
            Info.ChatExCheckListBox->show();
            ChatSignal->hide();
            break;
        default:
            break;
    }
}

}  // namespace kordalt
