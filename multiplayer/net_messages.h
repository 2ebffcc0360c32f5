// The network game's messages, each described once by its fields in order,
// and the updates of the game state that the large ones carry. A received
// update is read into a scratch copy of the state, checked whole, and only
// then committed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/game_state.h"
#include "game/owner_grid.h"
#include "game/turn_report.h"
#include "platform/checked.h"
#include "platform/short_string.h"

namespace kordalt {

using TNetMessage = std::vector<uint8_t>;

// A reader refuses a message that is short, damaged or of another code, and an
// update that would make the game invalid, with why.

// Sizes of the messages, as their descriptions give them.
extern const size_t kValueMessageSize;
extern const size_t kMapMessageSize;
extern const size_t kFullInfSize;  // without turn-report records
extern const size_t kHalfInfSize;  // without turn-report records
extern const size_t kClientInfSize;
constexpr size_t kMessageRecSize = sizeof(TMessageRec);
// The most turn-report records a count holds, and the longest waiting text taken.
constexpr size_t kMaxMessageRecords = 65535;
constexpr size_t kMaxWaitingText = 1u << 20;
// The longest chat line: what the chat inputs take.
constexpr size_t kChatLineLength = 255;
// A chat line and a waiting text of `textLength` characters.
size_t ChatMessageSize(size_t textLength);
size_t InfoForWaitingSize(size_t textLength);

// dx_Connect_Flag, _TurnDelay, _LoadGame, _ServerRight, dx_Game_EndOfTurn, _Exit,
// _CloseAll: the code and one value byte.
TNetMessage MakeValueMessage(uint32_t code, uint8_t value);
TChecked<uint8_t> ReadValueMessage(const TNetMessage& m);

// dx_Connect_Msg: a chat line (cp1251, cut to kChatLineLength) and its colour $00BBGGRR.
TNetMessage MakeChatMessage(std::string_view text, uint32_t colour);
struct TChatLine {
    std::string text;
    uint32_t colour = 0;
};
TChecked<TChatLine> ReadChatMessage(const TNetMessage& m);

// dx_Connect_SendMap and dx_Game_SendMapForWaiting: the map as an owner grid.
TNetMessage MakeMapMessage(uint32_t code, uint8_t gosCount, uint8_t mapSize, const TOwnerGrid& grid);
struct TMapMessage {
    uint8_t gosCount = 0, mapSize = 0;
    TOwnerGrid grid{};
};
// Refuses a message of the wrong size or whose grid is not a map of its size and count.
TChecked<TMapMessage> ReadMapMessage(const TNetMessage& m);

// dx_Game_SendInfoForWaiting: a zero-terminated text.
TNetMessage MakeInfoForWaiting(std::string_view text);
TChecked<std::string> ReadInfoForWaiting(const TNetMessage& m);

// The battle chronicle in the two short strings of the full snapshot and the year result:
// characters 1..199, then 200..454; later characters are not sent.
void SplitChronicle(const std::string& chronicle, ShortString<255>& first, ShortString<255>& second);
std::string JoinChronicle(const ShortString<255>& first, const ShortString<255>& second);

// dx_Game_SendFull: the full snapshot of `Game`, `Messages` and `Map`.
TNetMessage MakeFullInf(uint32_t serverId, uint8_t turnMinutes);
struct TFullInf {
    GameState state;  // Game with the snapshot's tables and counters
    std::vector<TMessageRec> messages;
    TOwnerGrid grid{};
    uint8_t turnMinutes = 0;
    uint32_t serverId = 0;
};
TChecked<TFullInf> ReadFullInf(const TNetMessage& m);
// A full snapshot made earlier now names `serverId` the server.
void NameFullInfServer(TNetMessage& m, uint32_t serverId);
// Game, Map (with a new snapshot of owners when `snapshot`) and Messages take the snapshot.
void CommitFullInf(TFullInf& full, bool snapshot = true);

// dx_Game_SendHalf: the result of a year for the state `recipient`.
TNetMessage MakeHalfInf(uint8_t recipient);
struct THalfInf {
    GameState state;  // Game with the year's result for Game.CurrentGos
    std::vector<TMessageRec> messages;
    TOwnerGrid grid{};
};
TChecked<THalfInf> ReadHalfInf(const TNetMessage& m);
// Game, Map (owners of before the battles kept for highlighting) and Messages.
void CommitHalfInf(THalfInf& half);

// dx_Game_SendClientInf: a client's own state `Game.CurrentGos` after its turn.
TNetMessage MakeClientInf();
// The state the message names gets its record and Kordalts, keeping its player
// and his names; refused (and nothing changed) when the message is damaged, the
// state is not `senderId`'s or the result would be invalid.
TChecked<> ApplyClientInf(const TNetMessage& m, uint32_t senderId);

}  // namespace kordalt
