// The client of the game-listing web server: scrambled text requests posted as
// "msg=<hex>msgend", plain-text replies between the same markers, the request
// texts of every kind and the parsing of the replies that carry lists.
// Texts are cp1251 byte strings.
#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/thread_ec.h"

namespace kordalt {

struct GameState;

// The URL of the game-listing server ([Preferences] "InternetServer"; no default).
extern std::string InternetServer;
// Reads InternetServer from LanguageFile.
void LoadInternetServer();

// The version named in the game-list request.
inline constexpr std::string_view WebProtocolVersion = "4.5d";

// True when S, trimmed of blanks, is not empty and holds only Latin letters,
// digits and the characters "=+- _[]".
bool IsValidNetName(const std::string& S);

// Appends the scrambled form of S (two lower-case hex digits per byte) to Result.
void EncodeServerMessage(std::string_view S, std::string& Result);
// The inverse, for the server side: false when E is not an even run of hex digits.
bool DecodeServerMessage(std::string_view E, std::string& Result);

// Posts DataSize bytes to Url; on success Reply is a block from AllocEC that the
// caller frees with FreeEC. False on any failure, with Reply null and ReplySize 0.
// `cancelled` (asked from the posting thread) stops it as a failure.
bool HttpPost(const std::string& Url, const void* Data, int DataSize, void*& Reply, int& ReplySize,
              const std::function<bool()>& cancelled = {});

// The text between the first "msg=" and the first "msgend" of a reply body;
// empty when a marker is missing or nothing lies between them.
std::string ExtractReply(std::string_view body);

// One exchange, blocking. Reply is empty on any failure.
void QueryServer(const std::string& Server, const std::string& Request, std::string& Reply,
                 const std::function<bool()>& cancelled = {});
// Runs QueryServer on a thread that frees itself; the reply is dropped.
void QueryServerAsync(const std::string& Server, const std::string& Request);

class TQueryHttpThread : public TThreadEC {
public:
    std::string Server;
    std::string Request;
    // When valid, Execute waits for it first: a self-freeing thread must not end
    // while StartThread still uses the object.
    std::future<void> Go;

protected:
    ~TQueryHttpThread() override = default;
    void Execute() override;
};

// One request off the window's thread (the game list, a click that asks the
// server): Reply is written once, before the run ends; Terminate stops the
// exchange, leaving Reply empty. It asks the server given at creation,
// InternetServer by default.
class TServerQueryThread : public TThreadEC {
public:
    explicit TServerQueryThread(std::string request, std::string server = InternetServer)
        : Request(std::move(request)), Server(std::move(server)) {}
    const std::string Request;
    const std::string Server;
    std::string Reply;

protected:
    ~TServerQueryThread() override = default;
    void Execute() override;
};

// Request texts.
std::string GameListRequest();
std::string PlayerNewRequest(const std::string& name, const std::string& password);
std::string PlayerCheckRequest(const std::string& name, const std::string& password);
std::string GameCreateRequest(const std::string& gameName, const std::string& gameId,
                              const std::string& address, const std::string& player,
                              const std::string& password, const std::string& language);
std::string GameUpdateRequest(const std::string& gameId, const std::string& address, int year,
                              const std::string& language);
std::string GameUserUpdateRequest(const std::string& gameId, const std::string& player);
std::string GameUserDeleteRequest(const std::string& gameId, const std::string& player);
std::string GameDestroyRequest(const std::string& gameId);
// The player name is sent in lower case.
std::string CanBreakPlayerRequest(const std::string& gameId, const std::string& player);
std::string GameUserListRequest(const std::string& gameId);

// What a reply to a player or game request means. Unlisted replies are success.
enum class WebReply { Ok, NoConnection, BadVersion, NameTaken, NoPlayer, BadPassword, GameExists };
WebReply PlayerNewReply(const std::string& reply);
WebReply PlayerCheckReply(const std::string& reply);
WebReply GameCreateReply(const std::string& reply);
WebReply GameListReply(const std::string& reply);
bool CanBreakPlayerReply(const std::string& reply);

// The records of a list reply: one per "~", fields split by ";".
struct NetGameInfo {
    std::string Name;
    std::string Id;
    std::string Address;
    int Year = 0;
    std::string Language;
    int PlayerCount = 0;
};
struct NetPlayerInfo {
    int Number = 0;
    std::string Name;
    float Rating = 0;
};
// A list reply gives at most this many records; the rest are ignored.
constexpr size_t kMaxListRecords = 1000;
// Fill the list from a reply; false, with the list empty, when a record lacks a field.
bool ParseGameList(const std::string& reply, std::vector<NetGameInfo>& games);
bool ParsePlayerList(const std::string& reply, std::vector<NetPlayerInfo>& players);
// The parts of s (CountParEC of them, at most `maxParts`), split at any of `delimiters`.
std::vector<std::string> SplitParEC(std::string_view s, std::string_view delimiters,
                                    size_t maxParts = SIZE_MAX);

// The end report of an Internet game, built by its server: a state still in
// play wins only when it is the only one (EndUndecidedGame). `exitGame` is true
// when the server closed the game.
std::string GameEndRequest(const GameState& game, bool exitGame);
// Sends the report until the reply is "ok" or `askRetry` declines; true on "ok".
bool SendGameEnd(const std::string& Server, const std::string& Request,
                 const std::function<bool()>& askRetry);

}  // namespace kordalt
