// The Internet windows under test: the shipped texts, a listing server and a
// server with a chosen reply on loopback, scripted host addresses, and the
// message boxes and modal dialogs answered by the test.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <QDialog>
#include <QString>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game/language_file.h"
#include "multiplayer/web_protocol.h"
#include "platform/host_address.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "support/test_files.h"
#include "tools/listing_server.h"
#include "ui/internet_create_game.h"
#include "ui/internet_game_info.h"
#include "ui/internet_games.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt::test {

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Answers every POST with `Body`, after holding the request while `Hold` is set.
class ReplyServer {
public:
    ReplyServer() {
        http_.Post("/list", [this](const httplib::Request&, httplib::Response& res) {
            ++Requests;
            while (Hold && !stopping_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::lock_guard lock(mutex_);
            res.set_content(body_, "text/plain");
        });
        port_ = http_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        // Stopping a server that is not yet listening would not stop it.
        QTest::qWaitFor([this] { return http_.is_running(); }, 5000);
    }
    ~ReplyServer() {
        stopping_ = true;
        http_.stop();
        thread_.join();
    }
    void SetBody(const std::string& body) {
        std::lock_guard lock(mutex_);
        body_ = body;
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/list"; }

    std::atomic<bool> Hold{false};
    std::atomic<int> Requests{0};

private:
    httplib::Server http_;
    std::thread thread_;
    std::mutex mutex_;
    std::string body_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
};

class InternetTest : public ::testing::Test {
protected:
    InternetTest() : program_(Prepare(dir_)) {
        CreateLanguageFile();
        listingPort_ = listing_.Start(0);
        savedServer_ = InternetServer;
        InternetServer = "http://127.0.0.1:" + std::to_string(listingPort_) + "/list.php";
        // One exchange: the server listens, so that stopping it stops it.
        std::string reply;
        QueryServer(InternetServer, GameListRequest(), reply);
        TInternetGames::HostAddressSource = [this](std::vector<std::string>& list) {
            list = hostAddresses_;
            return hostResolves_;
        };
        CreateInternetWindows();
    }
    ~InternetTest() override {
        FreeInternetWindows();
        TInternetGames::HostAddressSource = LocalHostAddresses;
        InternetServer = savedServer_;
        listing_.Stop();
        FreeLanguageFile();
    }

    static std::string Prepare(const ScratchDir& dir) {
        WriteFile(dir.Path("kordalt.INI"), ReadFile(std::string(KORDALT_BIN_DIR) + "/kordalt.INI"));
        return dir.Path("kordalt");
    }
    std::string Setting(const char* key) const {
        return TIniFile(dir_.Path("kordalt.INI")).ReadString("Preferences", key, "<missing>");
    }
    // Registers a player and lists a game of his directly on the listing server.
    void SeedGame(const std::string& name, const std::string& id, const std::string& address) {
        listing_.Answer("playernew;Host" + name + ";pw");
        ASSERT_NE(
            listing_.Answer("gamecreate;" + name + ";" + id + ";" + address + ";Host" + name + ";pw;Russian"),
            "error_game");
    }
    // Shows the list and waits until its worker's reply has been read.
    void ShowList() {
        InternetGames->show();
        ASSERT_TRUE(QTest::qWaitFor([] { return !InternetGames->TimerUpdate->isActive(); }, 10000));
    }
    void SetAccount(const char* name, const char* password) {
        InternetGames->EditName->setText(U(name));
        InternetGames->EditPassword->setText(U(password));
    }
    std::vector<QString> TakeMessages() { return std::exchange(messages_, {}); }

    ScratchDir dir_;
    ScopedProgramFileName program_;
    ListingServer listing_;
    int listingPort_ = 0;
    std::string savedServer_;
    std::vector<std::string> hostAddresses_{"10.1.2.3"};
    bool hostResolves_ = true;

    std::vector<QString> messages_;
    TMsgButton answer_ = TMsgButton::Yes;
    ScopedMessageBoxHook boxes_{[this](TMsgType, const QString& text) {
        messages_.push_back(text);
        return answer_;
    }};
    // The game-name dialog's answer: the name typed before Create, or Cancel when empty.
    QString newGameName_ = U("Duel");
    std::vector<std::string> shownPlayers_;
    ScopedModalHook modals_{[this](QDialog& dialog) {
        dialog.setResult(0);
        if (&dialog == InternetCreateGame) {
            if (newGameName_.isEmpty()) InternetCreateGame->ButCancelClick();
            InternetCreateGame->EditName->setText(newGameName_);
            if (!newGameName_.isEmpty()) InternetCreateGame->ButCreateClick();
        } else if (&dialog == InternetGameInfo) {
            dialog.show();
            for (const TInternetUserUnit& u : InternetGameInfo->Users) shownPlayers_.push_back(u.Name);
            InternetGameInfo->ButCloseClick();
        }
        return dialog.result();
    }};
};

}  // namespace kordalt::test
