// Codes of the messages the peers of a network game exchange, and the sets
// of codes the incoming gate accepts.
#pragma once

#include <bitset>
#include <cstdint>
#include <initializer_list>

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

inline TNetCodeSet MakeCodeSet(std::initializer_list<uint32_t> codes) {
    TNetCodeSet set;
    for (uint32_t c : codes) set.set(static_cast<size_t>(c));
    return set;
}

inline const TNetCodeSet AllMessageCodes = MakeCodeSet(
    {dx_Connect_Msg, dx_Connect_Flag, dx_Connect_TurnDelay, dx_Connect_SendMap, dx_Connect_LoadGame,
     dx_Connect_ServerRight, dx_Game_SendFull, dx_Game_SendHalf, dx_Game_SendClientInf, dx_Game_EndOfTurn,
     dx_Game_Exit, dx_Game_CloseAll, dx_Game_SendMapForWaiting, dx_Game_SendInfoForWaiting});
// A year's traffic: results, client states and ends of turn.
inline const TNetCodeSet YearMessages =
    MakeCodeSet({dx_Game_SendFull, dx_Game_SendHalf, dx_Game_SendClientInf, dx_Game_EndOfTurn});
// The lobby: a year's traffic is held for the game about to start.
inline const TNetCodeSet LobbyMessages = AllMessageCodes & ~YearMessages;
// The top of a year: client states and ends of turn are held.
inline const TNetCodeSet TurnTopMessages =
    MakeCodeSet({dx_Connect_Msg, dx_Connect_Flag, dx_Connect_TurnDelay, dx_Connect_SendMap,
                 dx_Connect_LoadGame, dx_Connect_ServerRight, dx_Game_SendFull, dx_Game_SendHalf,
                 dx_Game_Exit, dx_Game_CloseAll, dx_Game_SendMapForWaiting, dx_Game_SendInfoForWaiting});
// The local turn: snapshots and year results are held.
inline const TNetCodeSet LocalTurnMessages =
    MakeCodeSet({dx_Connect_Msg, dx_Connect_Flag, dx_Connect_TurnDelay, dx_Connect_SendMap,
                 dx_Connect_LoadGame, dx_Connect_ServerRight, dx_Game_SendClientInf, dx_Game_EndOfTurn,
                 dx_Game_Exit, dx_Game_CloseAll, dx_Game_SendMapForWaiting, dx_Game_SendInfoForWaiting});

}  // namespace kordalt
