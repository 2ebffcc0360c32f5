// Codes of the messages the peers of a network game exchange, and the sets
// of codes the incoming gate accepts. Peers of one release talk to each other:
// a code and its message's layout never change; a new message takes a new code.
#pragma once

#include <bitset>
#include <cstdint>

namespace kordalt {

enum : uint32_t {
    dx_Connect_Msg = 0,
    dx_Connect_Flag = 1,
    dx_Connect_TurnDelay = 2,
    dx_Connect_SendMap = 3,
    dx_Connect_LoadGame = 4,
    dx_Connect_ServerRight = 5,
    dx_Game_SendFull = 10,
    dx_Game_SendHalf = 11,
    dx_Game_SendClientInf = 12,
    dx_Game_EndOfTurn = 13,
    dx_Game_Exit = 14,
    dx_Game_CloseAll = 15,
    dx_Game_SendMapForWaiting = 16,
    dx_Game_SendInfoForWaiting = 17,
    dx_Compressed = 1000,  // the envelope of a compressed message
};

// The game's sessions: its application identifier and player limit.
inline constexpr const char* kGameSessionGuid = "{00000000-0000-0000-0000-123000000000}";
inline constexpr int kGameMaxPlayers = 20;

// Bit c: code c is accepted.
using TNetCodeSet = std::bitset<256>;

// The gate's sets, made from the table of messages (net_message_table.h).
extern const TNetCodeSet AllMessageCodes;
// A year's traffic: results, client states and ends of turn.
extern const TNetCodeSet YearMessages;
// The lobby: a year's traffic is held for the game about to start.
extern const TNetCodeSet LobbyMessages;
// The top of a year: client states and ends of turn are held.
extern const TNetCodeSet TurnTopMessages;
// The local turn: snapshots and year results are held.
extern const TNetCodeSet LocalTurnMessages;

}  // namespace kordalt
