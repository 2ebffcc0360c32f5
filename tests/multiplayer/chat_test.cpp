// The chat: the shown line, who sees it bold, the input line, the time stamp,
// the panes and the chat log.
#include "multiplayer/chat.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <csignal>
#include <filesystem>
#include <regex>

#include "game/language_file.h"
#include "platform/program_path.h"
#include "support/test_files.h"
#include "ui/connect_chat.h"
#include "ui/ui_support.h"

namespace kordalt {
namespace {

TEST(Chat, LineIsBoldOnlyForOtherPlayers) {
    struct Case {
        std::string own, sender;
        bool bold;
    } cases[] = {
        {"anna", "anna", false}, {"Anna", "aNNA", false}, {Cp("Анна"), Cp("аННА"), false},
        {"anna", "boris", true}, {"", "boris", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChatLineBold(c.own, c.sender), c.bold) << c.own << " / " << c.sender;
    EXPECT_EQ(ChatLine("anna", "hi there"), "<anna> hi there");
}

TEST(Chat, InputIsTrimmedAndBlankInputSendsNothing) {
    EXPECT_EQ(ChatInputText("  hi  there "), "hi  there");
    EXPECT_EQ(ChatInputText("x"), "x");
    EXPECT_FALSE(ChatInputText("    "));
    EXPECT_FALSE(ChatInputText(""));
}

TEST(Chat, TimeStampFormats) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 7;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 4;
    struct Case {
        const char* format;
        const char* expected;
    } cases[] = {
        {"yyyy.mm.dd hh:nn:ss", "2026.03.07 09:05:04"},
        {"d/m/yy h:n:s", "7/3/26 9:5:4"},
        {"'at' hh \"h\"", "at 09 h"},
        {"hh:nn:ss.zzz", "09:05:04.042"},
        {"[YYYY]", "[2026]"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatTimeStamp(c.format, t, 42), c.expected) << c.format;
}

TEST(ChatPane, KeepsTheNewest49LinesAndShowsTheScrollBarPastTheVisibleLines) {
    QTextEdit pane;
    for (int i = 1; i <= kLobbyChatLines; ++i)
        AppendChatLine(&pane, QString::number(i), clBlack, false, kLobbyChatLines);
    EXPECT_EQ(pane.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    AppendChatLine(&pane, "23", clBlack, false, kLobbyChatLines);
    EXPECT_EQ(pane.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    for (int i = 24; i <= 55; ++i)
        AppendChatLine(&pane, QString::number(i), 0x0000FF, i == 55, kLobbyChatLines);
    QTextDocument* doc = pane.document();
    ASSERT_EQ(doc->blockCount(), 49);
    EXPECT_EQ(doc->firstBlock().text(), "7");
    EXPECT_EQ(doc->lastBlock().text(), "55");
    const QTextCharFormat last = doc->lastBlock().begin().fragment().charFormat();
    EXPECT_EQ(last.fontWeight(), QFont::Bold);
    EXPECT_EQ(last.foreground().color(), QColor(255, 0, 0));
    const QTextCharFormat before = doc->lastBlock().previous().begin().fragment().charFormat();
    EXPECT_EQ(before.fontWeight(), QFont::Normal);
}

// A settings file that turns the chat log on, as the program's own file.
class ChatLog : public ::testing::Test {
protected:
    void SetUp() override { UseLog("chat.txt"); }
    void TearDown() override { LanguageFile = std::move(previous); }
    // The settings file (UTF-8, as shipped) names `name` in the scratch folder.
    void UseLog(const std::string& name) {
        test::WriteFile(dir.Path("kordalt.INI"),
                        "[Languages]\r\nCount=1\r\nDefault=0\r\n0=Russian\r\n[Russian]\r\n"
                        "[Preferences]\r\nSaveChat=1\r\nChatFileName=" +
                            dir.Path(name) + "\r\nTimeStamp=yyyy.mm.dd hh:nn:ss\r\n");
        auto file = std::make_unique<TLanguageFile>(dir.Path("kordalt.INI"));
        if (previous)
            LanguageFile = std::move(file);
        else
            previous = std::exchange(LanguageFile, std::move(file));
    }

    test::ScratchDir dir;
    ScopedProgramFileName program{dir.Path("kordalt")};
    std::unique_ptr<TLanguageFile> previous;
};

TEST_F(ChatLog, TwoLinesAreAppendedWithTimeStamps) {
    test::WriteFile(dir.Path("chat.txt"), "earlier\r\n");
    ShowChatMessage("anna", "hello", clBlack);
    ShowChatMessage("boris", Cp("привет"), clBlack);
    const std::string log = test::ReadFile(dir.Path("chat.txt"));
    const std::regex expected(
        "earlier\r\n\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d <anna> hello\r\n"
        "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d <boris> " +
        Cp("привет") + "\r\n");
    EXPECT_TRUE(std::regex_match(log, expected)) << log;
}

TEST_F(ChatLog, ALogThatCannotBeWrittenIsToldOnceAndSwitchedOff) {
    std::filesystem::create_directory(dir.Path("chat.txt"));
    std::vector<QString> boxes;
    ScopedMessageBoxHook hook([&](TMsgType, const QString& text) {
        boxes.push_back(text);
        return TMsgButton::Ok;
    });
    EXPECT_NO_THROW(ShowChatMessage("anna", "hello", clBlack));
    EXPECT_NO_THROW(ShowChatMessage("anna", "again", clBlack));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains("chat.txt")) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].startsWith(QString::fromUtf8("Не удалось записать журнал чата")))
        << boxes[0].toStdString();
    EXPECT_FALSE(LanguageFile->ReadBool("Preferences", "SaveChat", true));
}

// A log at its limit takes no more lines: the player is told once, and the
// log is switched off.
TEST_F(ChatLog, AFullLogStopsWithOneNotice) {
    const std::string almostFull(kChatLogLimit - 10, 'x');
    test::WriteFile(dir.Path("chat.txt"), almostFull);
    std::vector<QString> boxes;
    ScopedMessageBoxHook hook([&](TMsgType, const QString& text) {
        boxes.push_back(text);
        return TMsgButton::Ok;
    });
    for (int i = 0; i < 3; ++i) ShowChatMessage("anna", "hello", clBlack);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains(QString::fromUtf8("запись в него остановлена"))) << boxes[0].toStdString();
    EXPECT_FALSE(LanguageFile->ReadBool("Preferences", "SaveChat", true));
    EXPECT_TRUE(test::ReadFile(dir.Path("chat.txt")) == almostFull);
}

// The file size limit of the process stands in for a full disk: the line is
// written in part, then the write fails. The log keeps whole lines only.
TEST_F(ChatLog, AWriteThatFailsPartWayLeavesNoTornLine) {
    test::WriteFile(dir.Path("chat.txt"), "earlier\r\n");
    std::vector<QString> boxes;
    ScopedMessageBoxHook hook([&](TMsgType, const QString& text) {
        boxes.push_back(text);
        return TMsgButton::Ok;
    });
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 20;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ShowChatMessage("anna", "hello", clBlack);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(test::ReadFile(dir.Path("chat.txt")), "earlier\r\n");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains(QString::fromUtf8("файл слишком велик"))) << boxes[0].toStdString();
}

// A log named in Cyrillic is created under that name in the file system's UTF-8.
TEST_F(ChatLog, ACyrillicLogNameIsTheFilesName) {
    UseLog("чат.txt");
    ShowChatMessage("anna", "hello", clBlack);
    EXPECT_TRUE(std::filesystem::exists(dir.Path("чат.txt")));
    EXPECT_NE(test::ReadFile(dir.Path("чат.txt")).find("<anna> hello"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path("")), {}),
              2);  // the log and the settings
}

}  // namespace
}  // namespace kordalt
