#include "multiplayer/net_dispatch.h"

#include <cstdio>

#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/seats.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/state_commit.h"
#include "game/turn_report.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_game_loop.h"
#include "multiplayer/net_message_table.h"
#include "multiplayer/net_messages.h"
#include "multiplayer/net_senders.h"
#include "platform/cp1251.h"

namespace kordalt {

// One message on its way to its handler.
struct TNetDelivery {
    const NetQueueItem& item;
    const TPeerPlayPlayer& sender;
    TNetYearLoop& loop;
    TCustomPeerPlay& peer;
    INetLobbyUi& ui;
    int rows;  // the session's players: the lobby list's rows
    // The game's server is not known, or has handed the game over: only a
    // message that names its sender the server is taken from another.
    bool newServer = false;
    // The game's server is gone: a survivor may tell this peer, its heir, the
    // year he holds, with a full state naming this peer the server.
    bool yearReport = false;
};

namespace {

// A refused update changes nothing; each one is noted once in the log.
void NoteRefused(const TPeerPlayPlayer& sender, const TNetMessageKind& kind, const std::string& why) {
    std::fprintf(stderr, "kordalt: message %u (%s) from %s refused: %s\n", kind.code, kind.what,
                 Cp1251ToUtf8(sender.Name).c_str(), why.c_str());
}

uint32_t OwnId(const TCustomPeerPlay& peer) { return peer.LocalPlayer() ? peer.LocalPlayer()->ID : 0; }

bool PlaysALivingState(uint32_t playerId) {
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player == playerId && Game.mGos[i].Alive != 0) return true;
    return false;
}

// The game's server died: this peer took its role from it, or it is no longer in the session.
bool GameServerGone(const TNetYearLoop& loop) {
    if (PlayMode.GameMode == kServer) return loop.ReportsAwaited();
    return Net.ServerID != 0 && loop.Peer().Players().IndexOf(Net.ServerID) < 0;
}

// Sets the lobby map from a map message.
TChecked<> TakeMap(const TNetMessage& m, bool snapshotNewMap) {
    auto map = ReadMapMessage(m);
    if (!map) return map.Refusal();
    CommitLobbyMap(map->grid, map->mapSize, map->gosCount, snapshotNewMap && Map == nullptr);
    return {};
}

// A year this peer has played already comes again (from a server that fell
// while sending it, or its heir): no peer goes back a year.
bool StaleYear(uint8_t year) { return Net.GameRunning && Net.TurnsPlayed > 0 && year <= Game.Year; }

// A full snapshot. One that names another player the server is a hand-over,
// and its sender's Exit follows it; the gate may hold the snapshot past that
// Exit. Then the snapshot would give the sender back its states: they go to
// the computer again, as do those of every player no longer in the session.
void TakeFullInf(TFullInf& full, uint32_t senderId, TCustomPeerPlay& peer) {
    const bool senderGone = full.serverId != senderId && Net.ServerHandedOver != 0;
    // A year result keeps the owners of before the battles for highlighting.
    CommitFullInf(full, !(Net.GameRunning && Net.FullStateHeld));
    PlayMode.TurnMinutes = full.turnMinutes;
    Net.ServerID = full.serverId;
    Net.AcceptFullInf = 1;
    Net.FullStateHeld = 1;
    Net.ServerHandedOver = 0;
    if (peer.LocalPlayer() && Net.ServerID == peer.LocalPlayer()->ID) PlayMode.GameMode = kServer;
    if (senderGone) GiveStatesToComputer(senderId);
    GiveAbsentPlayersStatesToComputer(peer);
}

// Of a player who has left, only a full snapshot is taken: a hand-over, or the
// last result of a server that left after sending it. The rest is dropped.
void TakeFullOfDepartedPlayer(const NetQueueItem& item, TCustomPeerPlay& peer) {
    if (!Net.GameRunning || NetMessageCode(item.Data) != dx_Game_SendFull || item.SenderID != Net.ServerID)
        return;
    auto full = ReadFullInf(item.Data);
    if (full && !StaleYear(full->state.Year)) TakeFullInf(*full, item.SenderID, peer);
}

void PlayerLeft(const TPeerPlayPlayer& sender, INetLobbyUi& ui) {
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player == sender.ID)
            ui.ShowChatMessage(sender.Name, LangText(kPlayerLeftGame), clRed);
    GiveStatesToComputer(sender.ID);
}

// ---- the handlers, one per code ----

TChecked<> TakeChat(TNetDelivery& d) {
    if (auto line = ReadChatMessage(d.item.Data))
        d.ui.ShowChatMessage(d.sender.Name, line->text, line->colour);
    return {};
}

TChecked<> TakeReadyFlag(TNetDelivery& d) {
    if (auto value = ReadValueMessage(d.item.Data)) {
        d.ui.SetReadyMark(d.sender.Name, *value != 0, d.rows);
        if (PlayMode.GameMode == kServer && d.ui.AllReady(d.rows)) SendAllLoadGame(d.peer);
    }
    return {};
}

TChecked<> TakeTurnDelay(TNetDelivery& d) {
    if (auto value = ReadValueMessage(d.item.Data)) {
        d.ui.ShowTurnDelay(*value);
        PlayMode.TurnMinutes = *value;
    }
    return {};
}

TChecked<> TakeLobbyMap(TNetDelivery& d) {
    if (auto map = TakeMap(d.item.Data, false); !map) return map;
    Map->SnapshotOwners();
    d.ui.LobbyMapReceived();
    return {};
}

TChecked<> TakeLoadGame(TNetDelivery& d) {
    d.ui.MarkAllReady(d.rows);
    return {};
}

TChecked<> TakeServerRight(TNetDelivery& d) {
    PlayMode.GameMode = kServer;
    d.ui.BecomeServer();
    return {};
}

TChecked<> TakeFull(TNetDelivery& d) {
    auto full = ReadFullInf(d.item.Data);
    if (!full) return full.Refusal();
    const uint32_t own = OwnId(d.peer);
    const bool named =
        (d.newServer && full->serverId == d.sender.ID) || (d.yearReport && full->serverId == own);
    if ((d.newServer || d.yearReport) && !named)
        return TRefused{"a full state from a player who is not the server"};
    if (own != 0 && full->serverId == own) d.loop.TakeYearReport(d.sender.ID, full->state.Year);
    if (!StaleYear(full->state.Year)) TakeFullInf(*full, d.sender.ID, d.peer);
    return {};
}

TChecked<> TakeHalf(TNetDelivery& d) {
    auto half = ReadHalfInf(d.item.Data);
    if (!half) return half.Refusal();
    if (StaleYear(half->state.Year)) return {};
    CommitHalfInf(*half);
    Net.ServerID = d.sender.ID;
    Net.AcceptHalfInf = 1;
    Net.ServerHandedOver = 0;
    return {};
}

TChecked<> TakeClientInf(TNetDelivery& d) { return ApplyClientInf(d.item.Data, d.sender.ID); }

TChecked<> TakeEndOfTurn(TNetDelivery& d) {
    // A mark of another year is left over from before a server fell.
    if (auto year = ReadValueMessage(d.item.Data); !year || *year != Game.Year) return {};
    for (int i = 1; i <= Game.GosCount; ++i) {
        if (Game.mGos[i].Player == d.sender.ID) {
            MarkEndOfTurn(static_cast<uint8_t>(i));
            break;
        }
    }
    return {};
}

TChecked<> TakeExit(TNetDelivery& d) {
    if (Net.GameRunning && PlayMode.GameMode == kNetworkClient && d.sender.ID == Net.ServerID)
        d.loop.ServerHandsOver();
    PlayerLeft(d.sender, d.ui);
    return {};
}

TChecked<> TakeCloseAll(TNetDelivery& d) {
    if (d.newServer) return TRefused{"not from the game's server"};
    Net.ExitGame = TExitGame::ClosedByServer;
    d.ui.ShowChatMessage(d.sender.Name, LangText(kServerClosedGame), clRed);
    return {};
}

// Sent to all by the game's server, which is the lobby's server of a peer
// waiting outside the game; the players in the game get theirs with the year's result.
TChecked<> TakeMapForWaiting(TNetDelivery& d) {
    if (auto map = TakeMap(d.item.Data, true); !map) return map;
    d.ui.ShowMapForWaiting();
    Map->SnapshotOwners();
    return {};
}

TChecked<> TakeWaitingInfo(TNetDelivery& d) {
    if (auto text = ReadInfoForWaiting(d.item.Data)) d.ui.ShowWaitingInfo(*text);
    return {};
}

size_t ValueSize() { return kValueMessageSize; }
size_t MapSize() { return kMapMessageSize; }

using enum TNetDirection;
using enum TNetSender;
using enum TNetSteps;

constexpr TNetMessageKind kMessages[] = {
    {dx_Connect_Msg, "chat line", AnyToAll, AnyPlayer, Both, [] { return ChatMessageSize(kChatLineLength); },
     TakeChat},
    {dx_Connect_Flag, "ready switch", AnyToAll, AnyPlayer, Lobby, ValueSize, TakeReadyFlag},
    {dx_Connect_TurnDelay, "turn duration", ServerToClients, LobbyServer, Lobby, ValueSize, TakeTurnDelay},
    {dx_Connect_SendMap, "lobby map", ServerToClients, LobbyServer, Lobby, MapSize, TakeLobbyMap},
    {dx_Connect_LoadGame, "everyone ready", ServerToClients, LobbyServer, Lobby, ValueSize, TakeLoadGame},
    {dx_Connect_ServerRight, "server role", ServerToClients, LobbyServer, Lobby, ValueSize, TakeServerRight},
    {dx_Game_SendFull, "full state", ServerToClients, GameServer, YearResult,
     [] { return kFullInfSize + kMaxMessageRecords * kMessageRecSize; }, TakeFull},
    {dx_Game_SendHalf, "year result", ServerToClients, GameServer, YearResult,
     [] { return kHalfInfSize + kMaxMessageRecords * kMessageRecSize; }, TakeHalf},
    {dx_Game_SendClientInf, "client state", ClientToServer, StatePlayer, TurnEnd,
     [] { return kClientInfSize; }, TakeClientInf},
    {dx_Game_EndOfTurn, "end of turn", AnyToAll, AnyPlayer, TurnEnd, ValueSize, TakeEndOfTurn},
    {dx_Game_Exit, "leaving the game", AnyToAll, AnyPlayer, Both, ValueSize, TakeExit},
    {dx_Game_CloseAll, "game closed", ServerToClients, GameServer, Year, ValueSize, TakeCloseAll},
    {dx_Game_SendMapForWaiting, "map for a waiting player", ServerToClients, LobbyServer, Waiting, MapSize,
     TakeMapForWaiting},
    {dx_Game_SendInfoForWaiting, "news for a waiting player", ServerToClients, AnyPlayer, Both,
     [] { return InfoForWaitingSize(kMaxWaitingText); }, TakeWaitingInfo},
};

TNetCodeSet CodesWhere(bool (*wanted)(TNetSteps)) {
    TNetCodeSet set;
    for (const TNetMessageKind& kind : kMessages)
        if (wanted(kind.steps)) set.set(kind.code);
    return set;
}

bool TakenInThisStep(TNetSteps steps) {
    if (steps == Both) return true;
    if (steps == Waiting) return Net.GameRunning == 0;
    return (steps == Lobby) == (Net.GameRunning == 0);
}

// A message of the game's server: from it; or, with no server known or after
// a hand-over, from a new one; or a survivor's report to the heir of a server
// that is gone. The handler checks whom the message names.
TChecked<> FromGameServer(const TNetMessageKind& kind, TNetDelivery& d, bool serving) {
    if (!serving && d.sender.ID == Net.ServerID) return {};
    d.newServer = !serving && (Net.ServerID == 0 || Net.ServerHandedOver);
    d.yearReport = kind.code == dx_Game_SendFull && d.sender.ID != Net.ServerID &&
                   PlaysALivingState(d.sender.ID) && GameServerGone(d.loop);
    if (d.newServer || d.yearReport) return {};
    return TRefused{serving ? "this peer is the server" : "the sender is not the game's server"};
}

// Whether this peer takes `kind` from the sender now. A peer that knows no
// lobby server yet (a newcomer) learns it from the first who acts as one.
TChecked<> MayTake(const TNetMessageKind& kind, TNetDelivery& d) {
    if (!TakenInThisStep(kind.steps))
        return TRefused{Net.GameRunning ? "not taken while a game runs" : "not taken in the lobby"};
    const bool serving = PlayMode.GameMode == kServer;
    if (kind.sender == GameServer) return FromGameServer(kind, d, serving);
    if (kind.direction == ServerToClients && serving) return TRefused{"this peer is the server"};
    if (kind.direction == ClientToServer && !serving) return TRefused{"this peer is not the server"};
    if (kind.sender == LobbyServer) {
        if (Net.ServerID == 0) Net.ServerID = d.sender.ID;
        if (d.sender.ID != Net.ServerID) return TRefused{"the sender is not the lobby's server"};
    }
    return {};
}

}  // namespace

const TNetCodeSet AllMessageCodes = CodesWhere([](TNetSteps) { return true; });
const TNetCodeSet YearMessages = CodesWhere([](TNetSteps s) { return s == YearResult || s == TurnEnd; });
const TNetCodeSet LobbyMessages = AllMessageCodes & ~YearMessages;
const TNetCodeSet TurnTopMessages = AllMessageCodes & ~CodesWhere([](TNetSteps s) { return s == TurnEnd; });
const TNetCodeSet LocalTurnMessages =
    AllMessageCodes & ~CodesWhere([](TNetSteps s) { return s == YearResult; });

const TNetMessageKind* FindNetMessageKind(uint32_t code) {
    for (const TNetMessageKind& kind : kMessages)
        if (kind.code == code) return &kind;
    return nullptr;
}

void DispatchNetMessage(const NetQueueItem& item, TNetYearLoop& loop, INetLobbyUi& ui) {
    TCustomPeerPlay& peer = loop.Peer();
    const int index = peer.Players().IndexOf(item.SenderID);
    if (index < 0) {
        TakeFullOfDepartedPlayer(item, peer);
        return;
    }
    const TNetMessageKind* kind = FindNetMessageKind(NetMessageCode(item.Data));
    if (!kind || (kind->steps == Waiting && Net.GameRunning)) return;
    TNetDelivery d{item, peer.Players().GetItem(index), loop, peer, ui, peer.Players().Count()};
    TChecked<> taken = MayTake(*kind, d);
    if (taken) taken = kind->handle(d);
    if (!taken) NoteRefused(d.sender, *kind, taken.Why());
}

}  // namespace kordalt
