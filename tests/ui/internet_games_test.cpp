// The Internet game list against a listing server on loopback.
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "controls/draw_grid.h"
#include "controls/speed_button.h"
#include "internet_fixture.h"

namespace kordalt {
namespace {

using test::U;

constexpr char kId1[] = "11111111-2222-4333-8444-555555555555";
constexpr char kId2[] = "AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE";

class InternetGamesTest : public test::InternetTest {};

TEST_F(InternetGamesTest, TextsAndControls) {
    TInternetGames& w = *InternetGames;
    EXPECT_EQ(w.objectName(), "InternetGames");
    EXPECT_EQ(w.windowTitle(), U("Зал Интернет"));
    EXPECT_EQ(w.size(), QSize(415, 336));
    EXPECT_EQ(w.EditName->maxLength(), 12);
    EXPECT_EQ(w.EditPassword->maxLength(), 15);
    EXPECT_EQ(w.EditPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(w.TimerUpdate->interval(), 300);
    EXPECT_FALSE(w.TimerUpdate->isActive());
    EXPECT_EQ(w.GridGameList->ColCount(), 4);
    const int widths[] = {32, 110, 64, 60};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(w.GridGameList->ColWidths(c), widths[c]) << c;
    EXPECT_TRUE(w.GridGameList->Options() & goRowSelect);

    w.show();
    EXPECT_EQ(w.GroupAddress->title(), U("   Адрес компьютера   "));
    EXPECT_EQ(w.GroupPlayer->title(), U("   Игрок   "));
    EXPECT_EQ(w.GroupGames->title(), U("   Игры на сервере   "));
    EXPECT_EQ(w.SpeedPlayerNew->Caption(), U("Регистрация"));
    EXPECT_EQ(w.SpeedUpdate->Caption(), U("Обновить"));
    EXPECT_EQ(w.ButNewGame->text(), U("Новая игра"));
    EXPECT_EQ(w.ButJoin->text(), U("Присоединиться"));
    EXPECT_EQ(w.btnClose->text(), U("Закрыть"));
    QStringList labels;
    for (const QLabel* label : w.GroupPlayer->findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains(U("Имя")) && labels.contains(U("Пароль"))) << labels.join(',').toStdString();
    // The update runs at once: the update and join buttons hide while it lasts.
    EXPECT_TRUE(w.TimerUpdate->isActive());
    EXPECT_FALSE(w.SpeedUpdate->isVisible());
    EXPECT_EQ(w.LabelCom->text(), U("Обновление ...."));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.TimerUpdate->isActive(); }, 10000));
    EXPECT_TRUE(w.SpeedUpdate->isVisible());
}

TEST_F(InternetGamesTest, AddressListStartsWithLoopbackAndSelectsTheLast) {
    struct Case {
        std::vector<std::string> host;
        bool resolves;
        QStringList listed;
    };
    const Case cases[] = {
        {{}, true, {"127.0.0.1"}},
        {{"10.1.2.3"}, true, {"127.0.0.1", "10.1.2.3"}},
        {{"127.0.0.1", "192.168.0.7", "10.0.0.2"}, true, {"127.0.0.1", "192.168.0.7", "10.0.0.2"}},
        {{"192.168.0.7", "127.0.0.1"}, true, {"127.0.0.1", "192.168.0.7", "127.0.0.1"}},
        {{"10.1.2.3"}, false, {}},
    };
    for (const Case& c : cases) {
        hostAddresses_ = c.host;
        hostResolves_ = c.resolves;
        InternetChoice.LocalAddress = "unset";
        InternetGames->show();
        QStringList listed;
        for (int i = 0; i < InternetGames->CBAddress->count(); ++i)
            listed << InternetGames->CBAddress->itemText(i);
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(InternetGames->TimerUpdate->isActive(), c.resolves)
            << "an update starts only with addresses";
        if (c.resolves) {
            EXPECT_EQ(InternetGames->CBAddress->currentIndex(), listed.size() - 1);
            EXPECT_EQ(QString::fromStdString(InternetChoice.LocalAddress), listed.back());
        } else {
            EXPECT_EQ(InternetChoice.LocalAddress, "unset");
            EXPECT_EQ(InternetGames->ListThread, nullptr);
        }
        InternetGames->done(kInternetClose);
    }
    hostAddresses_ = {"10.1.2.3", "10.9.9.9"};
    hostResolves_ = true;
    InternetGames->show();
    InternetGames->CBAddress->setCurrentIndex(1);
    InternetGames->CBAddressChange();
    EXPECT_EQ(InternetChoice.LocalAddress, "10.1.2.3");
}

TEST_F(InternetGamesTest, ListedGamesFillTheGrid) {
    SeedGame("Duel", kId1, "10.0.0.5");
    SeedGame("Battle", kId2, "10.0.0.6");
    listing_.Answer(std::string("gameupdate;") + kId2 + ";10.0.0.6;17;English");
    listing_.Answer(std::string("gameuserupdate;") + kId2 + ";HostBattle;0");
    ShowList();
    const TInternetGames& w = *InternetGames;
    EXPECT_EQ(w.LabelCom->text(), U("Найдено игр : 2"));
    EXPECT_TRUE(w.LabelCom->isVisible());
    EXPECT_TRUE(w.ButJoin->isVisible());
    EXPECT_TRUE(w.ButNewGame->isVisible());
    EXPECT_TRUE(w.SpeedPlayerNew->isVisible());
    EXPECT_EQ(w.GridGameList->RowCount(), 3);
    ASSERT_EQ(w.Games.size(), 2u);
    const TInternetGamesUnit& battle = w.Games[0].Name == "Battle" ? w.Games[0] : w.Games[1];
    EXPECT_EQ(GUIDToStr(battle.GameId), kId2);
    EXPECT_EQ(battle.Address, "10.0.0.6");
    EXPECT_EQ(battle.Year, 17);
    EXPECT_EQ(battle.Language, "English");
    EXPECT_EQ(battle.Players, 1);
}

TEST_F(InternetGamesTest, EmptyListOffersCreateAndRegisterButNotJoin) {
    ShowList();
    const TInternetGames& w = *InternetGames;
    EXPECT_EQ(w.LabelCom->text(), U("Найдено игр : 0"));
    EXPECT_FALSE(w.ButJoin->isVisible());
    EXPECT_TRUE(w.ButNewGame->isVisible());
    EXPECT_TRUE(w.SpeedPlayerNew->isVisible());
    EXPECT_EQ(w.GridGameList->RowCount(), 2);

    // A double click on the empty grid and a join do nothing.
    InternetGames->GridGameList->SetRow(1);
    InternetGames->GridGameListDblClick();
    InternetGames->ButJoinClick();
    EXPECT_TRUE(shownPlayers_.empty());
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(InternetGamesTest, BadListRepliesShowTheirTexts) {
    test::ReplyServer server;
    InternetServer = server.Url();
    const std::pair<std::string, const char*> cases[] = {
        {"", "Ошибка соединения"},
        {"<html>no markers</html>", "Ошибка соединения"},
        {"msg=msgend", "Ошибка соединения"},
        {"msg=error versionmsgend", "Некорректная версия"},
        {"msg=Duel;" + std::string(kId1) + ";10.0.0.5;3~msgend", "Ошибка соединения"},
        {"msg=Duel;not-a-guid;10.0.0.5;3;Russian;2~msgend", "Ошибка соединения"},
        {"msg=Duel;" + std::string(kId1) + ";10.0.0.5;3;Russian;2msgend", "Найдено игр : 0"},
    };
    for (const auto& [body, text] : cases) {
        server.SetBody(body);
        ShowList();
        EXPECT_EQ(InternetGames->LabelCom->text(), U(text)) << body;
        EXPECT_TRUE(InternetGames->SpeedUpdate->isVisible()) << body;
        const bool listed = QString::fromUtf8(text).startsWith(U("Найдено"));
        EXPECT_EQ(InternetGames->ButNewGame->isVisible(), listed) << body;
        EXPECT_FALSE(InternetGames->ButJoin->isVisible()) << body;
        InternetGames->done(kInternetClose);
    }
}

TEST_F(InternetGamesTest, UnreachableServerShowsConnectionError) {
    listing_.Stop();
    ShowList();
    EXPECT_EQ(InternetGames->LabelCom->text(), U("Ошибка соединения"));
    EXPECT_FALSE(InternetGames->SpeedPlayerNew->isVisible());
}

TEST_F(InternetGamesTest, UpdateWhileRunningIsIgnoredAndClosingWaitsForTheWorker) {
    test::ReplyServer server;
    server.SetBody("msg=none~msgend");
    server.Hold = true;
    InternetServer = server.Url();
    InternetGames->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Requests == 1; }, 5000));
    // The status line blinks while the worker waits.
    bool hidden = false;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return hidden = hidden || !InternetGames->LabelCom->isVisible(); }, 2000));
    InternetGames->SpeedUpdateClick();
    InternetGames->SpeedUpdateClick();
    QTest::qWait(100);
    EXPECT_EQ(server.Requests, 1);

    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        server.Hold = false;
    });
    const auto start = std::chrono::steady_clock::now();
    InternetGames->done(kInternetClose);
    const auto waited = std::chrono::steady_clock::now() - start;
    release.join();
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_EQ(InternetGames->ListThread, nullptr);
    EXPECT_FALSE(InternetGames->TimerUpdate->isActive());
    EXPECT_FALSE(InternetGames->ButNewGame->isVisible());
}

TEST_F(InternetGamesTest, RegisterChecksNamesAsksAndStoresTheName) {
    ShowList();
    TInternetGames& w = *InternetGames;
    const std::pair<const char*, const char*> invalid[] = {{"", "pw"},    {"   ", "pw"}, {"Иван", "pw"},
                                                           {"a;b", "pw"}, {"Ivan", ""},  {"Ivan", "p;w"}};
    for (const auto& [name, password] : invalid) {
        SetAccount(name, password);
        w.SpeedPlayerNewClick();
        EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Указано неправильное имя или пароль")})
            << name << password;
    }
    EXPECT_EQ(listing_.Answer("playercheck;Ivan;pw"), "error_player");

    SetAccount("  Ivan ", " pw  ");
    answer_ = TMsgButton::No;
    w.SpeedPlayerNewClick();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Зарегистрировать ?")});
    EXPECT_EQ(w.EditName->text(), "Ivan");
    EXPECT_EQ(w.EditPassword->text(), "pw");
    EXPECT_EQ(listing_.Answer("playercheck;Ivan;pw"), "error_player");

    answer_ = TMsgButton::Yes;
    w.SpeedPlayerNewClick();
    EXPECT_EQ(TakeMessages(),
              (std::vector<QString>{U("Зарегистрировать ?"), U("Игрок успешно зарегистрирован")}));
    EXPECT_NE(listing_.Answer("playercheck;Ivan;pw"), "error_player");
    EXPECT_EQ(Setting("PlayerName"), "Ivan");

    // A taken name leaves the stored name alone.
    LanguageFile->WriteString("Preferences", "PlayerName", "Old");
    SetAccount("IVAN", "other");
    w.SpeedPlayerNewClick();
    EXPECT_EQ(TakeMessages(),
              (std::vector<QString>{U("Зарегистрировать ?"), U("Игрок с эти именем уже существует")}));
    EXPECT_EQ(Setting("PlayerName"), "Old");

    listing_.Stop();
    SetAccount("Petr", "pw");
    w.SpeedPlayerNewClick();
    EXPECT_EQ(TakeMessages(), (std::vector<QString>{U("Зарегистрировать ?"), U("Ошибка соединения")}));
}

TEST_F(InternetGamesTest, StoredPlayerNameFillsAnEmptyNameEdit) {
    LanguageFile->WriteString("Preferences", "PlayerName", "  Stored ");
    InternetGames->show();
    EXPECT_EQ(InternetGames->EditName->text(), "Stored");
    InternetGames->done(kInternetClose);
    InternetGames->EditName->setText("Typed");
    InternetGames->show();
    EXPECT_EQ(InternetGames->EditName->text(), "Typed");
}

TEST_F(InternetGamesTest, CreateGameRegistersItOnTheServer) {
    hostAddresses_ = {"10.1.2.3"};
    ShowList();
    TInternetGames& w = *InternetGames;
    SetAccount("Ivan", "pw");
    w.ButNewGameClick();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Игрок не найден. Зарегистрируйтесь!")});
    listing_.Answer("playernew;Ivan;pw");
    SetAccount("Ivan", "bad");
    w.ButNewGameClick();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Неправильный пароль")});
    SeedGame("Duel", kId1, "10.0.0.5");
    SetAccount("Ivan", "pw");
    w.ButNewGameClick();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Игра с таким именем уже существует")});
    EXPECT_TRUE(w.isVisible());

    // Cancel in the name dialog sends nothing; an invalid name keeps that dialog open.
    const std::string before = listing_.Answer("gamelist;4.5d");
    newGameName_.clear();
    w.ButNewGameClick();
    newGameName_ = U("Дуэль");
    w.ButNewGameClick();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Имя не правельно")});
    EXPECT_EQ(listing_.Answer("gamelist;4.5d"), before);

    newGameName_ = U("Revenge");
    w.ButNewGameClick();
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(w.result(), kInternetCreate);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(InternetChoice.NetGameName, "Revenge");
    EXPECT_EQ(InternetChoice.HostAddress, "10.1.2.3");
    EXPECT_EQ(InternetChoice.LocalAddress, "10.1.2.3");
    EXPECT_EQ(InternetChoice.NetPlayerName, "Ivan");
    EXPECT_EQ(InternetChoice.NetPassword, "pw");
    EXPECT_EQ(Setting("PlayerName"), "Ivan");
    const std::string listed = listing_.Answer("gamelist;4.5d");
    EXPECT_NE(listed.find("Revenge;" + GUIDToStr(InternetChoice.NetGameGUID) + ";10.1.2.3;"),
              std::string::npos)
        << listed;
    EXPECT_NE(GUIDToStr(InternetChoice.NetGameGUID), kId1);
}

TEST_F(InternetGamesTest, CreateWithoutServerShowsConnectionError) {
    ShowList();
    listing_.Stop();
    SetAccount("Ivan", "pw");
    InternetGames->ButNewGameClick();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Ошибка соединения")});
    EXPECT_TRUE(InternetGames->isVisible());
}

TEST_F(InternetGamesTest, JoinChecksThePlayerAndTakesTheSelectedGame) {
    SeedGame("Duel", kId1, "10.0.0.5");
    ShowList();
    TInternetGames& w = *InternetGames;
    ASSERT_EQ(w.Games.size(), 1u);
    w.GridGameList->SetRow(1);
    SetAccount("Petr", "pw");
    w.ButJoinClick();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Игрок не найден. Зарегистрируйтесь!")});
    listing_.Answer("playernew;Petr;pw");
    SetAccount("Petr", "bad");
    w.ButJoinClick();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Неправильный пароль")});
    SetAccount("Petr", "");
    w.ButJoinClick();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{U("Указано неправильное имя или пароль")});
    EXPECT_TRUE(w.isVisible());

    SetAccount(" Petr", "pw ");
    w.ButJoinClick();
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(w.result(), kInternetJoin);
    EXPECT_EQ(InternetChoice.HostAddress, "10.0.0.5");
    EXPECT_EQ(GUIDToStr(InternetChoice.NetGameGUID), kId1);
    EXPECT_EQ(InternetChoice.NetGameName, "Duel");
    EXPECT_EQ(InternetChoice.NetPlayerName, "Petr");
    EXPECT_EQ(InternetChoice.NetPassword, "pw");
    EXPECT_EQ(Setting("PlayerName"), "Petr");
    EXPECT_TRUE(w.Games.empty()) << "closing frees the list";
}

TEST_F(InternetGamesTest, DoubleClickShowsThePlayersOfTheSelectedGame) {
    SeedGame("Duel", kId1, "10.0.0.5");
    listing_.Answer(std::string("gameuserupdate;") + kId1 + ";HostDuel;0");
    listing_.Answer("playernew;Petr;pw");
    listing_.Answer(std::string("gameuserupdate;") + kId1 + ";Petr;0");
    ShowList();
    InternetGames->GridGameList->SetRow(1);
    InternetGames->GridGameListDblClick();
    EXPECT_EQ(GUIDToStr(InternetGameInfo->GameGUID), kId1);
    EXPECT_EQ(shownPlayers_, (std::vector<std::string>{"HostDuel", "Petr"}));
    EXPECT_TRUE(InternetGameInfo->Users.empty()) << "hiding frees the list";
}

// A click that asks the listing server waits for it off the window's thread:
// while the server holds its answer the window's events go on, the hourglass
// shows, and the player's cancel ends the wait with nothing reported.
TEST_F(InternetGamesTest, ClicksThatAskTheServerCanBeCancelledWhileItHoldsTheAnswer) {
    SeedGame("Duel", kId1, "10.0.0.5");
    ShowList();
    TInternetGames& w = *InternetGames;
    SetAccount("Ivan", "pw");
    w.GridGameList->SetRow(1);
    InternetGameInfo->GameGUID = StrToGUID(kId1);
    test::ReplyServer held;
    held.Hold = true;
    InternetServer = held.Url();
    const std::pair<const char*, std::function<void()>> clicks[] = {
        {"register", [&] { w.SpeedPlayerNewClick(); }},
        {"new game", [&] { w.ButNewGameClick(); }},
        {"join", [&] { w.ButJoinClick(); }},
        {"the game's players", [] { InternetGameInfo->ButUpdateClick(); }},
    };
    for (const auto& [what, click] : clicks) {
        const int asked = held.Requests;
        bool hourglass = false, cancelled = false;
        // Runs only while the window's thread is free during the click.
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (held.Requests == asked || !box) return;
            hourglass =
                QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            box->cancel();
            cancelled = true;
            watch.stop();
        });
        watch.start(10);
        click();
        watch.stop();
        EXPECT_TRUE(cancelled) << what;
        EXPECT_TRUE(hourglass) << what;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << what;
        for (const QString& shown : TakeMessages()) EXPECT_FALSE(shown.contains(U("Ошибка"))) << what;
        EXPECT_TRUE(w.isVisible()) << what;
    }
}

}  // namespace
}  // namespace kordalt
