#include "app/netplayer/net_player.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

#include "app/netplayer/headless_ui_thread.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/saved_game.h"
#include "game/seats.h"
#include "game/self_test.h"
#include "multiplayer/chat.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_game_loop.h"
#include "multiplayer/net_senders.h"
#include "multiplayer/network_game.h"
#include "multiplayer/player_addresses.h"
#include "multiplayer/web_protocol.h"
#include "platform/ansi_text.h"
#include "platform/colors.h"
#include "platform/cp1251.h"
#include "platform/guid.h"
#include "platform/program_path.h"
#include "session/peer_loader.h"
#include "session/peer_play.h"

namespace kordalt {
namespace {

// How long the lobby may take, and the longest wait of the game for the network.
constexpr std::chrono::seconds kLobbyLimit{30};
constexpr std::chrono::seconds kWaitLimit{60};
// Files of the program folder that each player's own folder gets a copy of.
const char* const kProgramFiles[] = {"kordalt.INI", "dim.dat"};
// The account every automatic player has on a listing server.
const std::string kPassword = "netplayer";
const std::string kLanguage = "Russian";

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool ReadNumber(const std::string& text, long min, long max, long& out) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < min || v > max) return false;
    out = v;
    return true;
}

// The current folder becomes the program folder, with its own settings file;
// the session library is loaded from the real program folder first.
void EnterOwnFolder() {
    LoadDllFunction(kSessionServiceLibrary, "DirectPlayCreate");
    namespace fs = std::filesystem;
    const fs::path here = fs::current_path();
    for (const char* name : kProgramFiles)
        if (!fs::exists(here / name)) fs::copy_file(ProgramDirectory() + name, here / name);
    SetProgramFileName((here / "kordalt").string());
}

class AutoPlayer final : public INetSessionUi, public INetLobbyUi, public INetSendUi, public INetLoopUi {
public:
    explicit AutoPlayer(const NetPlayerOptions& o)
        : o_(o), net_(std::make_unique<TCustomPeerPlay>(ui_), *this, *this, *this) {}

    int Run() {
        if (internet_) EnterListing();
        Open();
        if (!refused_.empty()) throw Failure(refused_);
        if (o_.create && o_.load.empty()) MakeMap();
        if (o_.create && !o_.load.empty()) LoadSavedGame();
        WaitInLobby();
        if (PlayMode.GameMode == kServer && o_.load.empty() && !DealNetStates(peer_))
            throw Failure("fewer free states than players");
        net_.Run(*this);
        if (Net.ExitGame == TExitGame::None && (Game.Year >= YearCount || SoleOwner() != 0)) {
            std::printf("game over in year %d checksum %lld\n", int{Game.Year},
                        static_cast<long long>(SharedGameChecksum()));
            std::fflush(stdout);
        }
        if (internet_ && PlayMode.GameMode == kServer) ReportGameEnd();
        if (!lost_.empty()) throw Failure(lost_);
        if (yearsPlayed_ == 0) throw Failure("the game ended before the first year");
        return 0;
    }

    // INetLobbyUi
    void ShowChatMessage(const std::string& name, const std::string& text, uint32_t) override {
        if (const auto error = LogChatLine(ChatLine(name, text)))
            std::fprintf(stderr, "kordalt_netplayer: %s\n", Cp1251ToUtf8(*error).c_str());
    }
    void SetReadyMark(const std::string& name, bool ready, int) override {
        ready_[AnsiLowerCase(name)] = ready;
    }
    bool AllReady(int) override {
        for (int i = 0; i < peer_.Players().Count(); ++i)
            if (!ready_[AnsiLowerCase(peer_.Players().GetItem(i).Name)]) return false;
        return peer_.Players().Count() > 0;
    }
    void MarkAllReady(int) override {
        for (int i = 0; i < peer_.Players().Count(); ++i)
            ready_[AnsiLowerCase(peer_.Players().GetItem(i).Name)] = true;
    }
    void ShowTurnDelay(int) override {}
    // Ready as soon as the map is in; a refused player, on its way out, never is.
    void LobbyMapReceived() override {
        if (!Net.GameRunning && refused_.empty()) SendStartNewGame(peer_, true);
    }
    void BecomeServer() override {}
    void ShowMapForWaiting() override {}
    void ShowWaitingInfo(const std::string&) override {}

    // INetSendUi
    void ShowSendingNotice(bool) override {}
    void ServerNotFound() override { lost_ = "server not found"; }
    void SendingResult() override {
        if (o_.dieYear == 0 || Game.Year != o_.dieYear || resultsSent_++ < o_.dieAfter) return;
        // What went out is on its way before the process ends.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        raise(SIGKILL);
    }

    // INetLoopUi
    void BeginNetGame() override {}
    void WaitForYear() override {
        Wait(
            [this] {
                net_.YearLoop().LoseTheGameWhenNoResultCanCome();
                return ClientWaitDone() || Net.ExitGame != TExitGame::None;
            },
            "the year's result");
    }
    TTurnResult PlayTurn() override {
        if (o_.years > 0 && yearsPlayed_ == o_.years) return TTurnResult::Quit;
        ++yearsPlayed_;
        std::printf("year %d checksum %lld\n", int{Game.Year}, static_cast<long long>(SharedGameChecksum()));
        std::fflush(stdout);
        if (!o_.chat.empty()) SendAllMessage(peer_, Cp(o_.chat), clBlack);
        if (o_.turnSeconds > 0) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(o_.turnSeconds);
            ui_.RunUntil(
                [&] { return Net.ExitGame != TExitGame::None || std::chrono::steady_clock::now() >= end; },
                std::chrono::seconds(o_.turnSeconds));
        }
        return TTurnResult::Pass;
    }
    void WaitForOthers(const std::vector<std::string>&) override {
        Wait([this] { return net_.YearLoop().OthersWaitDone() || Net.ExitGame != TExitGame::None; },
             "the others' turns");
    }
    void ShowDefeat(uint8_t gos) override {
        std::fprintf(stderr, "kordalt_netplayer: state %d destroyed in year %d\n", gos, int{Game.Year});
    }
    bool AskOthersContinue() override { return true; }
    void GameLost(bool canSave) override {
        lost_ = Net.ExitGame == TExitGame::SessionLost ? "the session was lost"
                                                       : "the server is gone and no result can come";
        if (canSave) {
            SaveGame("lost_game.kordalt");
            lost_ += "; the game of year " + std::to_string(Game.Year) + " is saved in lost_game.kordalt";
        }
    }

private:
    void Wait(const std::function<bool()>& done, const char* what) {
        if (!ui_.RunUntil(done, kWaitLimit + std::chrono::seconds(o_.turnSeconds)))
            throw Failure(std::string("no end of the wait for ") + what);
    }

    // The server of an Internet game reports its end to the listing server.
    static void ReportGameEnd() {
        EndUndecidedGame();
        if (!SendGameEnd(InternetServer, GameEndRequest(Game, Net.ExitGame == TExitGame::ClosedByServer),
                         [] { return false; }))
            throw Failure("the listing server did not take the game's end");
    }

    // An Internet game: the player registers; the server lists its game at its
    // own address, a client looks the game's address up.
    void EnterListing() {
        InternetServer = o_.listing;
        PlayMode.IsInternetGame = true;
        std::string reply;
        QueryServer(InternetServer, PlayerNewRequest(o_.player, kPassword), reply);
        if (PlayerNewReply(reply) == WebReply::NoConnection)
            throw Failure("no listing server at " + o_.listing);
        if (o_.create) {
            TGUID id;
            NewGUID(id);
            gameId_ = GUIDToStr(id);
            const std::string address = o_.bind.empty() ? "127.0.0.1" : o_.bind;
            QueryServer(InternetServer,
                        GameCreateRequest(o_.session, gameId_, address, o_.player, kPassword, kLanguage),
                        reply);
            if (GameCreateReply(reply) != WebReply::Ok) throw Failure("the listing server refused the game");
            return;
        }
        const auto until = std::chrono::steady_clock::now() + kLobbyLimit;
        while (host_.empty()) {
            std::vector<NetGameInfo> games;
            QueryServer(InternetServer, GameListRequest(), reply);
            ParseGameList(reply, games);
            for (const NetGameInfo& g : games)
                if (g.Name == o_.session) {
                    host_ = g.Address;
                    gameId_ = g.Id;
                }
            if (host_.empty() && std::chrono::steady_clock::now() >= until)
                throw Failure("the game is not listed");
            if (host_.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    // Creates the session, or joins it once the host answers.
    void Open() {
        const auto until = std::chrono::steady_clock::now() + kLobbyLimit;
        for (;;) {
            try {
                peer_.TCPIPSetting.Enabled = !host_.empty();
                peer_.TCPIPSetting.HostName = host_;
                peer_.SetProviderName("TCP/IP");
                peer_.OpenSession(o_.create, o_.session, o_.player);
                return;
            } catch (const std::exception& e) {
                if (o_.create || std::chrono::steady_clock::now() >= until)
                    throw Failure(std::string("cannot open the session: ") + e.what());
            }
        }
    }

    // INetSessionUi
    void SessionOpened() override {
        LobbyHost = PlayMode.GameMode == kServer;
        if (internet_ && AddressTaken(peer_)) {
            RefuseSameAddress();
            return;
        }
        if (internet_ && peer_.LocalPlayer())
            QueryServerAsync(InternetServer, GameUserUpdateRequest(gameId_, peer_.LocalPlayer()->Name));
    }

    // Another player of the Internet game has this one's address: the others
    // are told, and this player leaves.
    void RefuseSameAddress() {
        SendAllMessage(peer_, LangText(kAddressNotUniqueNotice), clOlive);
        refused_ = "refused: " + Cp1251ToUtf8(LangText(kAddressNotUnique));
    }

    // The host sends the map again; the server is ready once its players are in.
    void PlayerJoined(const TPeerPlayPlayer&) override {
        if (!LobbyHost || Net.GameRunning || !mapMade_) return;
        SendMap(peer_);
        SendTurnDelay(peer_, PlayMode.TurnMinutes);
        if (peer_.Players().Count() >= o_.players) SendStartNewGame(peer_, true);
    }

    void PlayerLeft(const TPeerPlayPlayer& player) override { ready_.erase(AnsiLowerCase(player.Name)); }
    // A server that died leaves its role to a survivor, who says so.
    void TookOverServer() override {
        std::printf("server in year %d\n", int{Game.Year});
        std::fflush(stdout);
    }
    void ShowNetError(const std::string& text) override {
        std::fprintf(stderr, "kordalt_netplayer: %s\n", text.c_str());
    }

    void MakeMap() {
        Game.GosCount = static_cast<uint8_t>(o_.states);
        Game.MapSize = static_cast<uint8_t>(o_.side);
        GenerateNewGame();
        Game.DifficultyLevel = 1;
        mapMade_ = true;
        PlayMode.TurnMinutes = 0;
        SendMap(peer_);
        SendTurnDelay(peer_, PlayMode.TurnMinutes);
        if (peer_.Players().Count() >= o_.players) SendStartNewGame(peer_, true);
    }

    // Once its players are in, the server loads the saved game, seats each
    // player at the state saved under his name and tells the others to start.
    void LoadSavedGame() {
        if (!ui_.RunUntil([this] { return peer_.Players().Count() >= o_.players; }, kLobbyLimit))
            throw Failure("the players of the saved game did not come");
        if (!LoadGameFile(o_.load)) throw Failure("cannot load " + o_.load);
        const int humans = CountHumanStates();
        const int seated = SeatSessionPlayers(peer_);
        if (seated != humans || seated != peer_.Players().Count())
            throw Failure("the saved game's players are not the session's");
        MarkAllReady(0);
        SendAllLoadGame(peer_);
    }

    // The server starts when its players are in and ready; a client when every
    // row is ticked and the server's first state is in. A client that started
    // sooner would stop telling newcomers that it is ready.
    void WaitInLobby() {
        const auto ready = [this] {
            if (Net.ExitGame != TExitGame::None || !peer_.Opened()) return true;
            const bool server = PlayMode.GameMode == kServer;
            const bool everyoneReady = peer_.Players().Count() >= (server ? o_.players : 2) && AllReady(0);
            KeepYearMessagesForTheRun(queue_, everyoneReady);
            return everyoneReady && (server || queue_.Holds(dx_Game_SendFull));
        };
        if (!ui_.RunUntil(ready, kLobbyLimit)) throw Failure("the game did not start");
        if (!peer_.Opened()) throw Failure("the session was lost in the lobby");
    }

    const NetPlayerOptions& o_;
    const bool internet_ = !o_.listing.empty();
    std::string gameId_;  // of an Internet game
    std::string host_;    // a client's host of an Internet game
    HeadlessUiThread ui_;
    TNetworkGame net_;
    TCustomPeerPlay& peer_ = net_.Peer();
    TNetQueue& queue_ = net_.Queue();
    std::map<std::string, bool> ready_;  // lower-case player names
    bool LobbyHost = false;
    bool mapMade_ = false;
    int yearsPlayed_ = 0;
    int resultsSent_ = 0;  // in the year of dying
    std::string lost_;     // why the game could not go on
    std::string refused_;  // why the session refused this player
};

}  // namespace

std::optional<NetPlayerOptions> ParseNetPlayerOptions(const std::vector<std::string>& args,
                                                      std::string& error) {
    NetPlayerOptions o;
    bool created = false, joined = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            error = "missing value of " + name;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        long n = 0;
        auto number = [&](long min, long max) {
            if (ReadNumber(value, min, max, n)) return true;
            error = "bad value of " + name + ": " + value;
            return false;
        };
        if (name == "--create" || name == "--join") {
            (name == "--create" ? created : joined) = true;
            o.session = value;
        } else if (name == "--bind") {
            o.bind = value;
        } else if (name == "--player") {
            o.player = value;
        } else if (name == "--listing") {
            o.listing = value;
        } else if (name == "--port") {
            if (!number(1, 65535)) return std::nullopt;
            o.port = static_cast<uint16_t>(n);
        } else if (name == "--players") {
            if (!number(1, kGameMaxPlayers)) return std::nullopt;
            o.players = static_cast<int>(n);
        } else if (name == "--states") {
            if (!number(2, MaxGos)) return std::nullopt;
            o.states = static_cast<int>(n);
        } else if (name == "--side") {
            if (!number(50, 100)) return std::nullopt;
            o.side = static_cast<int>(n);
        } else if (name == "--years") {
            if (!number(1, YearCount)) return std::nullopt;
            o.years = static_cast<int>(n);
        } else if (name == "--seed") {
            if (!number(0, 2147483647)) return std::nullopt;
            o.seed = static_cast<uint64_t>(n);
            o.seedSet = true;
        } else if (name == "--die-year") {
            if (!number(2, YearCount)) return std::nullopt;
            o.dieYear = static_cast<int>(n);
        } else if (name == "--die-after") {
            if (!number(0, kGameMaxPlayers)) return std::nullopt;
            o.dieAfter = static_cast<int>(n);
        } else if (name == "--load") {
            o.load = value;
        } else if (name == "--chat") {
            o.chat = value;
        } else if (name == "--turn-seconds") {
            if (!number(0, 600)) return std::nullopt;
            o.turnSeconds = static_cast<int>(n);
        } else {
            error = "unknown option " + name;
            return std::nullopt;
        }
    }
    if (created == joined)
        error = "give one of --create NAME and --join NAME";
    else if (o.player.empty())
        error = "give --player NAME";
    if (!error.empty()) return std::nullopt;
    o.create = created;
    return o;
}

int RunNetPlayer(const NetPlayerOptions& options) {
    if (!options.bind.empty()) setenv("KORDALT_DPLAY_BIND", options.bind.c_str(), 1);
    if (options.port) setenv("KORDALT_DPLAY_PORT", std::to_string(options.port).c_str(), 1);
    try {
        EnterOwnFolder();
        if (options.seedSet)
            SeedRandom(options.seed);
        else
            Randomize();
        CreateLanguageFile();
        LoadRulesData();
        if (Rules.DimLoadFailed) throw Failure("the rules data file cannot be read");
        AutoPlayer player(options);
        return player.Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kordalt_netplayer: %s\n", e.what());
        return 1;
    }
}

}  // namespace kordalt
