#include "multiplayer/net_dispatch.h"

#include <cstdio>

#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/rules_text.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/turn_report.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_messages.h"
#include "multiplayer/net_senders.h"
#include "platform/cp1251.h"

namespace kordalt {
namespace {

constexpr uint16_t kEndOfTurnMark = 39;

// A refused update changes nothing; each one is noted once in the log.
void NoteRefused(const TPeerPlayPlayer& sender, uint32_t code, const std::string& why) {
    std::fprintf(stderr, "kordalt: message %u from %s refused: %s\n", code, Cp1251ToUtf8(sender.Name).c_str(),
                 why.c_str());
}

// Sets the lobby map from a map message; false when the message is refused.
// A running game's tables take no lobby map.
bool TakeMap(const TNetMessage& m, bool snapshotNewMap, std::string& why) {
    if (GameRunning) {
        why = "a lobby map while a game runs";
        return false;
    }
    auto map = ReadMapMessage(m, why);
    if (!map) return false;
    const bool hadMap = Map != nullptr;
    CommitMap(map->grid, map->mapSize, map->gosCount, snapshotNewMap && !hadMap);
    Game.GosCount = map->gosCount;
    Game.MapSize = map->mapSize;
    return true;
}

void PlayerLeft(const TPeerPlayPlayer& sender, INetLobbyUi& ui) {
    for (int i = 1; i <= Game.GosCount; ++i) {
        TGosRec& g = Game.mGos[i];
        if (g.Player != sender.ID) continue;
        ui.ShowChatMessage(sender.Name, RulesText(3130), clRed);
        g.Player = 0;
        if (g.Alive == 1) g.PlayerName.Assign("");
    }
}

}  // namespace

void DispatchNetMessage(const NetQueueItem& item, TCustomPeerPlay& peer, INetLobbyUi& ui) {
    const int index = peer.Players().IndexOf(item.SenderID);
    if (index < 0) return;
    const TPeerPlayPlayer& sender = peer.Players().GetItem(index);
    const TNetMessage& m = item.Data;
    const int rows = peer.Players().Count();
    std::string why;
    switch (NetMessageCode(m)) {
        case dx_Connect_Msg:
            if (auto line = ReadChatMessage(m)) ui.ShowChatMessage(sender.Name, line->text, line->colour);
            return;
        case dx_Connect_Flag:
            if (auto value = ReadValueMessage(m)) {
                ui.SetReadyMark(sender.Name, *value != 0, rows);
                if (GameMode == 1 && ui.AllReady(rows)) SendAllLoadGame(peer);
            }
            return;
        case dx_Connect_TurnDelay:
            if (auto value = ReadValueMessage(m)) {
                ui.ShowTurnDelay(*value);
                TurnMinutes = *value;
            }
            return;
        case dx_Connect_SendMap:
            if (TakeMap(m, false, why)) {
                Map->SnapshotOwners();
                ui.LobbyMapReceived();
            } else {
                NoteRefused(sender, dx_Connect_SendMap, why);
            }
            return;
        case dx_Connect_LoadGame:
            ui.MarkAllReady(rows);
            return;
        case dx_Connect_ServerRight:
            GameMode = 1;
            ui.BecomeServer();
            return;
        case dx_Game_SendFull:
            if (auto full = ReadFullInf(m, why)) {
                CommitFullInf(*full);
                TurnMinutes = full->turnMinutes;
                ServerID = full->serverId;
                AcceptFullInf = 1;
                if (peer.LocalPlayer() && ServerID == peer.LocalPlayer()->ID) GameMode = 1;
            } else {
                NoteRefused(sender, dx_Game_SendFull, why);
            }
            return;
        case dx_Game_SendHalf:
            if (auto half = ReadHalfInf(m, why)) {
                CommitHalfInf(*half);
                ServerID = sender.ID;
                AcceptHalfInf = 1;
            } else {
                NoteRefused(sender, dx_Game_SendHalf, why);
            }
            return;
        case dx_Game_SendClientInf:
            if (!ApplyClientInf(m, why)) NoteRefused(sender, dx_Game_SendClientInf, why);
            return;
        case dx_Game_EndOfTurn:
            for (int i = 1; i <= Game.GosCount; ++i) {
                if (Game.mGos[i].Player == sender.ID) {
                    Game.mGos[i].CapturedThisTurn = kEndOfTurnMark;
                    return;
                }
            }
            return;
        case dx_Game_Exit:
            PlayerLeft(sender, ui);
            return;
        case dx_Game_CloseAll:
            ExitGame = 1;
            ui.ShowChatMessage(sender.Name, RulesText(3131), clRed);
            return;
        case dx_Game_SendMapForWaiting:
            if (TakeMap(m, true, why)) {
                ui.ShowMapForWaiting();
                Map->SnapshotOwners();
            }
            return;
        case dx_Game_SendInfoForWaiting:
            if (auto text = ReadInfoForWaiting(m)) ui.ShowWaitingInfo(*text);
            return;
        default:
            return;
    }
}

}  // namespace kordalt
