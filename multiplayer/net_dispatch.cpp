#include "multiplayer/net_dispatch.h"

#include <cstdio>

#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/turn_report.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_game_loop.h"
#include "multiplayer/net_messages.h"
#include "multiplayer/net_senders.h"
#include "platform/cp1251.h"

namespace kordalt {
namespace {

// A refused update changes nothing; each one is noted once in the log.
void NoteRefused(const TPeerPlayPlayer& sender, uint32_t code, const std::string& why) {
    std::fprintf(stderr, "kordalt: message %u from %s refused: %s\n", code, Cp1251ToUtf8(sender.Name).c_str(),
                 why.c_str());
}

// Sets the lobby map from a map message; false when the message is refused.
// A running game's tables take no lobby map.
bool TakeMap(const TNetMessage& m, bool snapshotNewMap, std::string& why) {
    if (Net.GameRunning) {
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

// A year this peer has played already comes again (from a server that fell
// while sending it, or its heir): no peer goes back a year.
bool StaleYear(uint8_t year) { return Net.GameRunning && Net.TurnsPlayed > 0 && year <= Game.Year; }

// A full snapshot. One that names another player the server is a hand-over,
// and its sender's Exit follows it; the gate may hold the snapshot past that
// Exit, or past the sender's leaving the session. Then the snapshot would give
// the sender back its states: they go to the computer again.
void TakeFullInf(TFullInf& full, uint32_t senderId, TCustomPeerPlay& peer) {
    const bool senderGone =
        full.serverId != senderId && (Net.ServerHandedOver != 0 || peer.Players().IndexOf(senderId) < 0);
    // A year result keeps the owners of before the battles for highlighting.
    CommitFullInf(full, !(Net.GameRunning && Net.FullStateHeld));
    PlayMode.TurnMinutes = full.turnMinutes;
    Net.ServerID = full.serverId;
    Net.AcceptFullInf = 1;
    Net.FullStateHeld = 1;
    Net.ServerHandedOver = 0;
    if (peer.LocalPlayer() && Net.ServerID == peer.LocalPlayer()->ID) PlayMode.GameMode = kServer;
    if (senderGone) GiveStatesToComputer(senderId);
}

// Of a player who has left, only a hand-over is taken; the rest is dropped.
void TakeHandOverOfDepartedServer(const NetQueueItem& item, TCustomPeerPlay& peer) {
    if (!Net.GameRunning || NetMessageCode(item.Data) != dx_Game_SendFull) return;
    std::string why;
    auto full = ReadFullInf(item.Data, why);
    if (full && !StaleYear(full->state.Year) && full->serverId != item.SenderID)
        TakeFullInf(*full, item.SenderID, peer);
}

void PlayerLeft(const TPeerPlayPlayer& sender, INetLobbyUi& ui) {
    for (int i = 1; i <= Game.GosCount; ++i) {
        TGosRec& g = Game.mGos[i];
        if (g.Player != sender.ID) continue;
        ui.ShowChatMessage(sender.Name, LangText(3130), clRed);
        g.Player = 0;
        if (g.Alive == 1) g.PlayerName.Assign("");
    }
}

}  // namespace

void DispatchNetMessage(const NetQueueItem& item, TCustomPeerPlay& peer, INetLobbyUi& ui) {
    const TNetMessage& m = item.Data;
    const int index = peer.Players().IndexOf(item.SenderID);
    if (index < 0) {
        TakeHandOverOfDepartedServer(item, peer);
        return;
    }
    const TPeerPlayPlayer& sender = peer.Players().GetItem(index);
    const int rows = peer.Players().Count();
    std::string why;
    switch (NetMessageCode(m)) {
        case dx_Connect_Msg:
            if (auto line = ReadChatMessage(m)) ui.ShowChatMessage(sender.Name, line->text, line->colour);
            return;
        case dx_Connect_Flag:
            if (auto value = ReadValueMessage(m)) {
                ui.SetReadyMark(sender.Name, *value != 0, rows);
                if (PlayMode.GameMode == kServer && ui.AllReady(rows)) SendAllLoadGame(peer);
            }
            return;
        case dx_Connect_TurnDelay:
            if (auto value = ReadValueMessage(m)) {
                ui.ShowTurnDelay(*value);
                PlayMode.TurnMinutes = *value;
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
            PlayMode.GameMode = kServer;
            ui.BecomeServer();
            return;
        case dx_Game_SendFull:
            if (auto full = ReadFullInf(m, why); full && !StaleYear(full->state.Year)) {
                TakeFullInf(*full, sender.ID, peer);
            } else if (!why.empty()) {
                NoteRefused(sender, dx_Game_SendFull, why);
            }
            return;
        case dx_Game_SendHalf:
            if (auto half = ReadHalfInf(m, why); half && !StaleYear(half->state.Year)) {
                CommitHalfInf(*half);
                Net.ServerID = sender.ID;
                Net.AcceptHalfInf = 1;
                Net.ServerHandedOver = 0;
            } else if (!why.empty()) {
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
            if (Net.GameRunning && PlayMode.GameMode == kNetworkClient && sender.ID == Net.ServerID)
                Net.ServerHandedOver = 1;
            PlayerLeft(sender, ui);
            return;
        case dx_Game_CloseAll:
            Net.ExitGame = 1;
            ui.ShowChatMessage(sender.Name, LangText(3131), clRed);
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
