// The main game screen: one human turn of CurrentGos. The frame (turn clock,
// ways to end the turn, status bar, save) lives in main_screen.cpp; each page
// has its own file (main_economy_page, main_science_page, main_borders_page,
// main_shop, main_info_page) implementing its part of TMain.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/classic.h"
#include "game/game_state.h"
#include "game/game_windows.h"
#include "multiplayer/net_game.h"
#include "ui/main_borders_page.h"
#include "ui/main_economy_page.h"
#include "ui/main_info_page.h"
#include "ui/main_science_page.h"
#include "ui/main_shop.h"
#include "ui/windows.h"

class QFileDialog;
class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;
class QSlider;
class QTextEdit;
class QTabWidget;
class QTimer;

namespace kordalt {

class TExSpeedButton;
struct TActionResult;
enum class TActionMode;

// What the main game screen and the windows around it share.
struct TMainScreenState {
    // How the turn is ending; none while it is open. Next also for the hidden
    // exit and the time limit, Quit for Exit.
    std::optional<TTurnResult> TurnResult;
    // 1 for CurrentGos and every state bordering it; rebuilt by each activation.
    OneBased<uint8_t, MaxGos> GosBorders{};
    // The science page is rebuilt when next opened.
    bool ScienceDirty = true;
    // While set, every tick of the turn clock presses Pass.
    bool AutoPass = false;
    // [Preferences] RememberPage: reopen the page open at the last deactivation.
    bool RememberPage = true;
};
extern TMainScreenState MainState;

int CountLiveGos();
int CountHumanGos();

// What the screen needs from a network game; the local game runs without one.
class TMainNetwork {
public:
    struct TSessionPlayer {
        uint32_t Id;
        std::string Name;  // cp1251
    };
    virtual ~TMainNetwork() = default;
    // 1 the server closed the game, 3 the session was lost, else 0.
    virtual TExitGame ExitGame() const = 0;
    // The session's players in the session's order.
    virtual std::vector<TSessionPlayer> SessionPlayers() const = 0;
    // A chat line to every player (cp1251).
    virtual void SendAllMessage(const std::string& text, TColor color) = 0;
    // The keep-alive request "gameupdate;..." to the game-listing server; the
    // reply is not used. `guid` and `address` are filled by the implementation.
    virtual void SendGameUpdate(int year, const std::string& language) = 0;
};
// The installed network layer, nullptr in a local game.
TMainNetwork* MainNetwork();
TMainNetwork* SetMainNetwork(TMainNetwork* network);

// One battle of CurrentGos in the turn report.
struct TBattleUnit {
    std::string Title;  // cp1251
    int32_t FirstIndex = 0;
    int32_t LastIndex = 0;
};

// The eight panels of the status bar.
class TStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent);
    QLabel* Panel(int index) const { return panels_.at(static_cast<size_t>(index)); }
    QString PanelText(int index) const;

private:
    std::vector<QLabel*> panels_;
};

class TMain : public QDialog {
    Q_OBJECT
public:
    explicit TMain(QWidget* parent = nullptr);
    ~TMain() override;

    // Shows the screen modally for CurrentGos (the caller sets TurnShown) and
    // returns how the turn ended.
    TTurnResult RunTurn();

    // Frame.
    void FormCreate();
    void FormActivate();
    void FormDeactivate();
    void Localize();
    void LoadGlyphs();
    void UpdateStatusPanels(int seconds);
    void NextClick();
    void ExitClick();
    void PassClick();
    void ExtraExitClick();
    void SaveGameClick();
    void SettingsClick();
    // Every second of the turn; every 300 seconds the listing server hears the game lives.
    void TurnClockTick();
    void KeepAliveTick();
    // The page change refreshes the page opened.
    void PageChange();
    // Presses of the buttons with a modal result: the form's modal result
    // first, then the handler, enabled or not.
    void PressNext();
    void PressPass();
    void PressExtraExit();

    // Economy page.
    void RefreshEconomyPage();
    void SowClick();
    void SellGrainClick();
    void BuyGrainClick();
    void TrainScientistsClick();
    void TrainSoldiersClick();
    void DismissScientistsClick();
    void DismissSoldiersClick();
    // The sliders: each writes its panel's amount and price.
    void SowAmountChange();
    void SellAmountChange();
    void BuyAmountChange();
    void TrainScientistsAmountChange();
    void TrainSoldiersAmountChange();
    void DismissScientistsAmountChange();
    void DismissSoldiersAmountChange();
    // The ">" buttons of the training panels.
    void StepScientistsClick();
    void StepSoldiersClick();

    // Science page.
    void RefreshSciencePage();
    // After a change of the branches' scientists: free scientists, spin limits, years, progress.
    void RefreshScienceCounts();
    void SpinEditChange(int branch);
    void ForOneYearClick(int branch);
    void MaxClick(int branch);
    void MinClick(int branch);
    void RecallAllClick();

    // Borders page.
    // Recalls idle front soldiers, then shows the reserve and, for an attacking
    // Kordalt, the soldiers on his front.
    void RefreshBordersPage();
    void FrontSliderChange();
    void ShowFrontControls(bool visible);
    void FillKordaltList(int gos);
    void mnuKordaltOrderPopup();
    void MenuOnClick(int tag);
    void RestAllClick();
    void KordaltListClick();
    void DrawMiniMap();
    // In the map mode the menu chooses.
    void RedrawMiniMap();
    // Rows of the state grid: CurrentGos, its neighbours, then the other living states.
    std::vector<int> CountryRows() const;
    // Kordalt of the selected grid row, 0 when the list is empty.
    int SelectedKordalt() const;

    // Kordalt shop.
    // The sliders' labels and the price of the Kordalt they describe.
    void RefreshShopPrice();
    void PurchaseClick();

    // Information and chat pages.
    void ClearBattleUnits();
    void BattleListSelectCell(int col, int row, bool& canSelect);
    void ShowChronicle(QTextEdit* edit, const std::string& text);
    void ChatEditKeyPress(QKeyEvent* event);
    void TabSheetChatExit();
    void ShowGraphClick();

    int32_t LastPage = 0;
    std::vector<std::unique_ptr<TBattleUnit>> BattleUnits;
    std::vector<int> KordaltRows;

    // Controls of the frame.
    QTabWidget* Pages = nullptr;
    QWidget* TabSheetInfo = nullptr;
    QWidget* TabSheetEconomy = nullptr;
    QWidget* TabSheetScience = nullptr;
    QWidget* TabSheetBorders = nullptr;
    QWidget* TabSheetShop = nullptr;
    QWidget* TabSheetChat = nullptr;
    QPushButton* NextButton = nullptr;
    QPushButton* ExitButton = nullptr;
    QPushButton* PassButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* ExtraExit = nullptr;
    TStatusBar* StatusBar = nullptr;
    QFrame* ChatSignal = nullptr;
    QTimer* TurnClock = nullptr;
    QTimer* KeepAliveTimer = nullptr;
    QFileDialog* SaveDialog = nullptr;
    int HelpContext = 10;  // of HelpButton

    TEconomyPage Economy;
    TSciencePage Science;
    TBordersPage Borders;
    TShopPage Shop;
    TInfoPage Info;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildFrame();
    void BuildEconomyPage();
    void BuildSciencePage();
    void BuildBordersPage();
    void BuildShopPage();
    void BuildInfoPage();
    void LocalizeEconomyPage();
    void LocalizeSciencePage();
    void LocalizeBordersPage();
    void LocalizeShopPage();
    void LocalizeInfoPage();
    void SetBackgrounds();
    void StartScrollPanels(bool active);
    bool ScrollHelpOn() const;
    int ClockSeconds() const;
    int ClockPanelSeconds() const;
    void RebuildBattleList();
    void SizeBattleRows();
    void FillEvents();
    void RebuildChatPlayers();
    void Autosave();
    // SaveGame; a failure is shown in a message box.
    void SaveReporting(const std::string& fileName);
    // Ends the modal loop with the modal result set by a button, unless the
    // close handler keeps the window open.
    void FinishModal();
    // The close handler: false keeps the window open.
    bool FormClose();
    bool AskSaveOnExit();
    // What the turn clock presses.
    enum class TClockPress { None, Next, Pass, ExtraExit };
    void ClockPress(TClockPress press);
    // Runs a dialog over the screen; the clock presses nothing meanwhile.
    int ExecOver(QDialog& dialog);
    // The screen's message box and Yes/No question (cp1251); true on Yes.
    void Tell(const std::string& text);
    bool Ask(const std::string& text);
    void BuildEconomySummary(QWidget* page);
    void BuildEconomyAction(QWidget* page, int panel);
    void RefreshEconomySummary();
    int EconomyAmount(TEconomyPanel panel) const;
    // After an economy action: the page's refresh when it was done, else its
    // reason in a box. Returns whether it was done.
    bool Settled(const TActionResult& result);
    void StepTraining(TEconomyPanel panel);
    bool NameKeyRefused(QKeyEvent* event) const;
    // The shop's purchase with the sliders' qualities and the name box.
    TActionResult ShopPurchase(TActionMode mode);
    void DrawCountryCell(int col, int row, const TRect& rect);
    void DrawKordaltCell(int col, int row, const TRect& rect, unsigned state);

    int modalResult_ = 0;
    // Boxes and dialogs the screen has open over itself.
    int dialogsOpen_ = 0;
    TClockPress pendingPress_ = TClockPress::None;
    // Time spent in the turn, as a time of day (fraction of a day) in whole seconds.
    double turnClock_ = 0;
};

// Row r of the Kordalt grid, text of the order, troops and the release rule.
std::string KordaltOrderText(int k);
int32_t KordaltTroops(int k);
int MapModeFromMenu(bool normal, bool world);
// Icon 0..4 for an attitude value.
int AttitudeIcon(int attitude);
// The chronicle's red-line test.
bool IsAlarmLine(const std::string& line);

// The Kordalt grid's texts in the current language.
struct TKordaltTexts {
    std::vector<std::string> KordaltOrderNames = std::vector<std::string>(4);
    std::vector<std::string> KordaltColumnTitles = std::vector<std::string>(8);
    std::string KordaltDismissText;
};
extern TKordaltTexts KordaltTexts;

}  // namespace kordalt
