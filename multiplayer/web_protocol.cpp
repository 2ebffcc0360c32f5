#include "multiplayer/web_protocol.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "game/game_state.h"
#include "game/language_file.h"
#include "platform/guid.h"
#include "platform/http_client.h"
#include "platform/support.h"

namespace kordalt {

std::string InternetServer;

void LoadInternetServer() {
    if (LanguageFile) InternetServer = LanguageFile->ReadString("Preferences", "InternetServer", "");
}

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr std::string_view kReplyStart = "msg=";
constexpr std::string_view kReplyEnd = "msgend";

bool IsNetNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::strchr("=+- _[]", c) != nullptr;
}

// The key stream: an 8-bit linear congruential generator, advanced before each byte.
class KeyStream {
public:
    uint8_t Next() {
        k_ = static_cast<uint8_t>(static_cast<uint32_t>(k_) * 0x1C3E5u + 0xA3D8u);
        return k_;
    }

private:
    uint8_t k_ = 0xB3;
};

int HexValue(char c) {
    const char* p = std::strchr(kHexDigits, c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    return c != '\0' && p != nullptr ? static_cast<int>(p - kHexDigits) : -1;
}

std::string Join(std::initializer_list<std::string_view> fields) {
    std::string text;
    for (std::string_view f : fields) {
        if (!text.empty()) text += ';';
        text += f;
    }
    return text;
}

std::string AsciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

bool IsValidNetName(const std::string& S) {
    const std::string name = TrimEC(S);
    return !name.empty() && std::all_of(name.begin(), name.end(), IsNetNameChar);
}

void EncodeServerMessage(std::string_view S, std::string& Result) {
    KeyStream key;
    Result.reserve(Result.size() + 2 * S.size());
    for (char b : S) {
        const uint8_t c = static_cast<uint8_t>(b) ^ key.Next();
        Result += kHexDigits[c >> 4];
        Result += kHexDigits[c & 15];
    }
}

bool DecodeServerMessage(std::string_view E, std::string& Result) {
    if (E.size() % 2 != 0) return false;
    KeyStream key;
    std::string text;
    text.reserve(E.size() / 2);
    for (size_t i = 0; i < E.size(); i += 2) {
        const int high = HexValue(E[i]), low = HexValue(E[i + 1]);
        if (high < 0 || low < 0) return false;
        text += static_cast<char>(static_cast<uint8_t>(high << 4 | low) ^ key.Next());
    }
    Result += text;
    return true;
}

bool HttpPost(const std::string& Url, const void* Data, int DataSize, void*& Reply, int& ReplySize,
              const std::function<bool()>& cancelled) {
    Reply = nullptr;
    ReplySize = 0;
    if (DataSize < 0 || (DataSize > 0 && Data == nullptr)) return false;
    const std::string_view body(static_cast<const char*>(Data), static_cast<size_t>(DataSize));
    HttpPostOptions options;
    options.Cancelled = cancelled;
    const HttpPostResult result = HttpPostRaw(Url, body, options);
    if (!result.Ok) return false;
    const int size = static_cast<int>(result.Body.size());  // bounded by the options' reply limit
    try {
        Reply = AllocEC(size);
    } catch (const ECError&) {
        return false;
    }
    if (size > 0) std::memcpy(Reply, result.Body.data(), result.Body.size());
    ReplySize = size;
    return true;
}

std::string ExtractReply(std::string_view body) {
    const size_t p1 = body.find(kReplyStart);
    const size_t p2 = body.find(kReplyEnd);
    if (p1 == std::string_view::npos || p2 == std::string_view::npos || p2 <= p1 + kReplyStart.size())
        return {};
    return std::string(body.substr(p1 + kReplyStart.size(), p2 - p1 - kReplyStart.size()));
}

void QueryServer(const std::string& Server, const std::string& Request, std::string& Reply,
                 const std::function<bool()>& cancelled) {
    Reply.clear();
    std::string body(kReplyStart);
    EncodeServerMessage(Request, body);
    body += kReplyEnd;
    void* block = nullptr;
    int size = 0;
    if (!HttpPost(Server, body.data(), static_cast<int>(body.size()), block, size, cancelled)) return;
    const std::string text(static_cast<const char*>(block), static_cast<size_t>(size));
    FreeEC(block);
    Reply = ExtractReply(text);
}

void QueryServerAsync(const std::string& Server, const std::string& Request) {
    auto* thread = new TQueryHttpThread;
    thread->Server = Server;
    thread->Request = Request;
    std::promise<void> go;
    thread->Go = go.get_future();
    thread->FreeOnTerminate = true;
    thread->StartThread();
    go.set_value();
}

void TQueryHttpThread::Execute() {
    if (Go.valid()) Go.wait();
    std::string reply;
    QueryServer(Server, Request, reply);
}

void TServerQueryThread::Execute() {
    QueryServer(Server, Request, Reply, [this] { return Terminated(); });
}

std::string GameListRequest() { return Join({"gamelist", WebProtocolVersion}); }

std::string PlayerNewRequest(const std::string& name, const std::string& password) {
    return Join({"playernew", name, password});
}

std::string PlayerCheckRequest(const std::string& name, const std::string& password) {
    return Join({"playercheck", name, password});
}

std::string GameCreateRequest(const std::string& gameName, const std::string& gameId,
                              const std::string& address, const std::string& player,
                              const std::string& password, const std::string& language) {
    return Join({"gamecreate", gameName, gameId, address, player, password, language});
}

std::string GameUpdateRequest(const std::string& gameId, const std::string& address, int year,
                              const std::string& language) {
    return Join({"gameupdate", gameId, address, std::to_string(year), language});
}

std::string GameUserUpdateRequest(const std::string& gameId, const std::string& player) {
    return Join({"gameuserupdate", gameId, player, "0"});
}

std::string GameUserDeleteRequest(const std::string& gameId, const std::string& player) {
    return Join({"gameuserdelete", gameId, player});
}

std::string GameDestroyRequest(const std::string& gameId) { return Join({"gamedestroy", gameId}); }

std::string CanBreakPlayerRequest(const std::string& gameId, const std::string& player) {
    return Join({"canbreakplayer", gameId, AsciiLower(player)});
}

std::string GameUserListRequest(const std::string& gameId) { return Join({"gameuserlist", gameId}); }

WebReply GameListReply(const std::string& reply) {
    if (reply.empty()) return WebReply::NoConnection;
    return reply == "error version" ? WebReply::BadVersion : WebReply::Ok;
}

WebReply PlayerNewReply(const std::string& reply) {
    if (reply.empty()) return WebReply::NoConnection;
    return reply == "error" ? WebReply::NameTaken : WebReply::Ok;
}

WebReply PlayerCheckReply(const std::string& reply) {
    if (reply.empty()) return WebReply::NoConnection;
    if (reply == "error_player") return WebReply::NoPlayer;
    if (reply == "error_password") return WebReply::BadPassword;
    return WebReply::Ok;
}

WebReply GameCreateReply(const std::string& reply) {
    return reply == "error_game" ? WebReply::GameExists : PlayerCheckReply(reply);
}

bool CanBreakPlayerReply(const std::string& reply) { return reply == "1"; }

std::vector<std::string> SplitParEC(std::string_view s, std::string_view delimiters, size_t maxParts) {
    std::vector<std::string> parts;
    if (s.empty()) return parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size() && parts.size() < maxParts; ++i) {
        if (i < s.size() && delimiters.find(s[i]) == std::string_view::npos) continue;
        parts.emplace_back(s.substr(start, i - start));
        start = i + 1;
    }
    return parts;
}

namespace {

// The fields of each "~"-ended record of a reply, in one pass and at most
// kMaxListRecords of them; false when one has fewer than `fieldCount`.
template <class Rec, class Make>
bool ParseRecords(std::string_view reply, size_t fieldCount, std::vector<Rec>& records, Make make) {
    records.clear();
    for (size_t start = 0, end;
         records.size() < kMaxListRecords && (end = reply.find('~', start)) != reply.npos; start = end + 1) {
        const std::vector<std::string> f = SplitParEC(reply.substr(start, end - start), ";", fieldCount);
        if (f.size() < fieldCount) {
            records.clear();
            return false;
        }
        records.push_back(make(f));
    }
    return true;
}

}  // namespace

bool ParseGameList(const std::string& reply, std::vector<NetGameInfo>& games) {
    return ParseRecords(reply, 6, games, [](const std::vector<std::string>& f) {
        return NetGameInfo{f[0], f[1], f[2], DigitsToInt(f[3]), f[4], DigitsToInt(f[5])};
    });
}

bool ParsePlayerList(const std::string& reply, std::vector<NetPlayerInfo>& players) {
    return ParseRecords(reply, 3, players, [](const std::vector<std::string>& f) {
        return NetPlayerInfo{DigitsToInt(f[0]), f[1], DigitsToFloat(f[2])};
    });
}

std::string GameEndRequest(const GameState& game, bool exitGame) {
    const int gosCount = std::min<int>(game.GosCount, MaxGos);
    int alive = 0;
    for (int s = 1; s <= gosCount; ++s) alive += game.mGos[s].Alive != 0;
    const bool won = alive == 1;

    std::string text = "gameend;" + GUIDToStr(game.GameGuid);
    for (int s = 1; s <= gosCount; ++s) {
        const TGosRec& gos = game.mGos[s];
        const std::string name = gos.StartPlayerName.Str();
        if (name.empty()) continue;
        const char* result = gos.PlayerName.Str().empty() || exitGame ? "1"
                             : won && gos.Alive != 0                  ? "2"
                                                                      : "0";
        std::string victims;
        const int victimCount = std::min<int>(gos.HumanVictimCount, MaxGos);
        for (int v = 1; v <= victimCount; ++v) {
            const int victim = gos.HumanVictims[v];
            if (victim < 1 || victim > gosCount) continue;
            if (!victims.empty()) victims += ',';
            victims += game.mGos[victim].StartPlayerName.Str();
        }
        text += ";" + name + ";" + result + ";" +
                std::to_string(int{gos.DestroyedAsPlayer} - int{gos.HumanVictimCount}) + ";" + victims;
    }
    return text;
}

bool SendGameEnd(const std::string& Server, const std::string& Request,
                 const std::function<bool()>& askRetry) {
    for (;;) {
        std::string reply;
        QueryServer(Server, Request, reply);
        if (reply == "ok") return true;
        if (!askRetry()) return false;
    }
}

}  // namespace kordalt
