// The game-name dialog, the game details window, the entry from the main menu,
// and the three windows drawn into <build>/gallery.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "controls/draw_grid.h"
#include "internet_fixture.h"
#include "support/gallery.h"

namespace kordalt {
namespace {

using test::U;

constexpr char kId[] = "11111111-2222-4333-8444-555555555555";

class InternetDialogsTest : public test::InternetTest {
protected:
    void AddPlayer(const std::string& name) {
        listing_.Answer("playernew;" + name + ";pw");
        listing_.Answer(std::string("gameuserupdate;") + kId + ";" + name + ";0");
    }
};

TEST_F(InternetDialogsTest, CreateGameDialog) {
    TInternetCreateGame& d = *InternetCreateGame;
    EXPECT_EQ(d.objectName(), "InternetCreateGame");
    EXPECT_EQ(d.windowTitle(), "Internet create game");
    EXPECT_EQ(d.size(), QSize(257, 91));
    d.show();
    EXPECT_EQ(d.GameNameLabel->text(), U("Название игры:"));
    EXPECT_EQ(d.ButCreate->text(), U("Создать"));
    EXPECT_EQ(d.ButCancel->text(), U("Отменить"));

    const std::pair<const char*, int> cases[] = {
        {" Duel 2 ", 1}, {"[Clan]_game=+-", 1}, {"", 0}, {"Игра", 0}, {"a;b", 0}};
    for (const auto& [name, result] : cases) {
        d.setResult(0);
        d.show();
        d.EditName->setText(U(name));
        d.ButCreate->click();
        EXPECT_EQ(d.result(), result) << name;
        EXPECT_EQ(d.isVisible(), result == 0) << name;
        EXPECT_EQ(TakeMessages(),
                  result ? std::vector<QString>{} : std::vector<QString>{U("Имя не правельно")})
            << name;
    }
    d.show();
    d.ButCancel->click();
    EXPECT_EQ(d.result(), 2);
}

TEST_F(InternetDialogsTest, GameInfoListsThePlayersAndUpdates) {
    SeedGame("Duel", kId, "10.0.0.5");
    AddPlayer("HostDuel");
    AddPlayer("Petr");
    TInternetGameInfo& w = *InternetGameInfo;
    EXPECT_EQ(w.objectName(), "InternetGameInfo");
    EXPECT_EQ(w.windowTitle(), U("Информация об игре"));
    EXPECT_EQ(w.ButUpdate->text(), U("Обновить"));
    EXPECT_EQ(w.ButClose->text(), U("Закрыть"));
    EXPECT_NE(w.minimumSize(), w.maximumSize()) << "resizable";
    const int widths[] = {23, 250, 57};
    for (int c = 0; c < 3; ++c) EXPECT_EQ(w.PlayerList->ColWidths(c), widths[c]) << c;

    w.GameGUID = StrToGUID(kId);
    w.show();
    ASSERT_EQ(w.Users.size(), 2u);
    EXPECT_EQ(w.Users[0].Name, "HostDuel");
    EXPECT_EQ(w.Users[1].Name, "Petr");
    EXPECT_EQ(w.PlayerList->RowCount(), 3);

    AddPlayer("Olga");
    w.ButUpdate->click();
    ASSERT_EQ(w.Users.size(), 3u);
    EXPECT_EQ(w.Users[2].Name, "Olga");
    EXPECT_EQ(w.PlayerList->RowCount(), 4);

    w.ButClose->click();
    EXPECT_EQ(w.result(), 1);
    EXPECT_TRUE(w.Users.empty());
}

TEST_F(InternetDialogsTest, GameUsersFromReplies) {
    test::ReplyServer server;
    InternetServer = server.Url();
    struct Case {
        std::string body;
        std::vector<std::tuple<int, std::string, double>> users;
    };
    const Case cases[] = {
        {"msg=1;Ivan;12.5~2;Petr;0~msgend", {{1, "Ivan", 12.5}, {2, "Petr", 0}}},
        {"msg=1;Ivan;12.5msgend", {}},
        {"msg=1;Ivan~msgend", {}},
        {"msg=msgend", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        server.SetBody(c.body);
        const std::vector<TInternetUserUnit> users = LoadGameUsers(StrToGUID(kId));
        ASSERT_EQ(users.size(), c.users.size()) << c.body;
        for (size_t i = 0; i < users.size(); ++i) {
            EXPECT_EQ(users[i].Number, std::get<0>(c.users[i]));
            EXPECT_EQ(users[i].Name, std::get<1>(c.users[i]));
            EXPECT_DOUBLE_EQ(users[i].Rating, std::get<2>(c.users[i]));
        }
    }
    server.SetBody("");
    InternetGameInfo->show();
    EXPECT_EQ(InternetGameInfo->PlayerList->RowCount(), 2);
}

TEST_F(InternetDialogsTest, RunInternetGameHandsCreateAndJoinToTheStarter) {
    std::vector<int> started;
    for (const int result : {kInternetCreate, kInternetJoin, kInternetClose, 0}) {
        ScopedModalHook answer([result](QDialog& dialog) { return &dialog == InternetGames ? result : -1; });
        EXPECT_EQ(RunInternetGame([&](int r) { started.push_back(r); }), result);
    }
    EXPECT_EQ(started, (std::vector<int>{kInternetCreate, kInternetJoin}));
}

// Renders each window with its texts and a listed game.
TEST_F(InternetDialogsTest, Gallery) {
    SeedGame("Duel", kId, "10.0.0.5");
    AddPlayer("HostDuel");
    AddPlayer("Petr");
    ShowList();
    SetAccount("Ivan", "secret");
    InternetCreateGame->show();
    InternetCreateGame->EditName->setText("Duel");
    InternetGameInfo->GameGUID = StrToGUID(kId);
    InternetGameInfo->show();
    const std::pair<QWidget*, const char*> windows[] = {
        {InternetGames, "ui_internet_games"},
        {InternetCreateGame, "ui_internet_create_game"},
        {InternetGameInfo, "ui_internet_game_info"},
    };
    for (const auto& [window, name] : windows) test::SaveToGallery(window->grab().toImage(), name);
}

}  // namespace
}  // namespace kordalt
