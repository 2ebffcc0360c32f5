#include "multiplayer/net_senders.h"

#include <set>

#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/squares.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_envelope.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_messages.h"

namespace kordalt {
namespace {

void SendTo(TCustomPeerPlay& peer, uint32_t to, const TNetMessage& m) {
    peer.SendMessage(to, m.data(), static_cast<int32_t>(m.size()));
}

uint32_t OwnId(const TCustomPeerPlay& peer) { return peer.LocalPlayer() ? peer.LocalPlayer()->ID : 0; }

// To all others, then to the own player.
void SendToAllAndSelf(TCustomPeerPlay& peer, const TNetMessage& m) {
    SendTo(peer, 0, m);
    SendTo(peer, OwnId(peer), m);
}

TNetMessage Compressed(const TNetMessage& m) { return CompressMessage(m.data(), m.size()); }

TNetMessage EndOfTurnMessage() {
    return MakeValueMessage(dx_Game_EndOfTurn, static_cast<uint8_t>(Game.Year));
}

bool HeldByLivingPlayer(int gos) { return Game.mGos[gos].Player != 0 && Game.mGos[gos].Alive != 0; }

class SendingNotice {
public:
    explicit SendingNotice(INetSendUi& ui) : ui_(ui) { ui_.ShowSendingNotice(true); }
    ~SendingNotice() { ui_.ShowSendingNotice(false); }

private:
    INetSendUi& ui_;
};

}  // namespace

void SendAllMessage(TCustomPeerPlay& peer, const std::string& text, uint32_t colour) {
    SendToAllAndSelf(peer, MakeChatMessage(text, colour));
}

void SendStartNewGame(TCustomPeerPlay& peer, bool ready) {
    SendToAllAndSelf(peer, MakeValueMessage(dx_Connect_Flag, ready ? 1 : 0));
}

void SendTurnDelay(TCustomPeerPlay& peer, int minutes) {
    SendTo(peer, 0, MakeValueMessage(dx_Connect_TurnDelay, static_cast<uint8_t>(minutes)));
}

void SendMap(TCustomPeerPlay& peer) {
    TOwnerGrid grid{};
    if (Map) MapToGrid(*Map, Game.MapSize, grid);
    const uint32_t code = Net.GameRunning ? dx_Game_SendMapForWaiting : dx_Connect_SendMap;
    SendTo(peer, 0, Compressed(MakeMapMessage(code, Game.GosCount, Game.MapSize, grid)));
}

void SendAllLoadGame(TCustomPeerPlay& peer) {
    const TNetMessage m = MakeValueMessage(dx_Connect_LoadGame, 1);
    for (int i = 1; i <= Game.GosCount; ++i)
        if (HeldByLivingPlayer(i) && Game.mGos[i].Player != OwnId(peer)) SendTo(peer, Game.mGos[i].Player, m);
}

void SendServerRight(TCustomPeerPlay& peer) {
    uint32_t last = 0;
    for (int i = 0; i < peer.Players().Count(); ++i)
        if (peer.Players().GetItem(i).Remote) last = peer.Players().GetItem(i).ID;
    SendTo(peer, last, MakeValueMessage(dx_Connect_ServerRight, 1));
}

void SendFull(TCustomPeerPlay& peer, INetSendUi& ui, uint32_t target) {
    SendingNotice notice(ui);
    const TNetMessage m = Compressed(
        MakeFullInf(target != 0 ? target : OwnId(peer), static_cast<uint8_t>(PlayMode.TurnMinutes)));
    if (target != 0) {
        SendTo(peer, target, m);
        return;
    }
    for (int i = 1; i <= Game.GosCount; ++i)
        if (HeldByLivingPlayer(i) && i != Game.CurrentGos) SendTo(peer, Game.mGos[i].Player, m);
}

void SendHalf(TCustomPeerPlay& peer, INetSendUi& ui) {
    {
        SendingNotice notice(ui);
        for (int i = 1; i <= Game.GosCount; ++i)
            if (Game.mGos[i].Player != 0 && i != Game.CurrentGos)
                SendTo(peer, Game.mGos[i].Player, Compressed(MakeHalfInf(static_cast<uint8_t>(i))));
    }
    SendMap(peer);
    SendInfoForWaiting(peer);
}

void SendYearResult(TCustomPeerPlay& peer, INetSendUi& ui) {
    {
        SendingNotice notice(ui);
        const TNetMessage m =
            Compressed(MakeFullInf(OwnId(peer), static_cast<uint8_t>(PlayMode.TurnMinutes)));
        std::set<uint32_t> sent{OwnId(peer)};
        for (int i = 1; i <= Game.GosCount; ++i)
            if (Game.mGos[i].Player != 0 && i != Game.CurrentGos && sent.insert(Game.mGos[i].Player).second) {
                ui.SendingResult();
                SendTo(peer, Game.mGos[i].Player, m);
            }
    }
    SendMap(peer);
    SendInfoForWaiting(peer);
}

void SendKeptFull(TCustomPeerPlay& peer, uint32_t to, TNetMessage full, uint32_t serverId) {
    NameFullInfServer(full, serverId);
    SendTo(peer, to, Compressed(full));
}

std::string WaitingInfoText() {
    std::string text = LangText(kNewsYear) + " : " + std::to_string(Game.Year) + "\r\n";
    if (!Game.BattleChronicle.empty()) text += LangText(kInfoBattles) + "\r\n" + Game.BattleChronicle;
    return text;
}

void SendInfoForWaiting(TCustomPeerPlay& peer) {
    const TNetMessage m = MakeInfoForWaiting(WaitingInfoText());
    for (int p = 0; p < peer.Players().Count(); ++p) {
        const uint32_t id = peer.Players().GetItem(p).ID;
        bool holdsState = false;
        for (int i = 1; i <= Game.GosCount; ++i)
            holdsState = holdsState || (Game.mGos[i].Player == id && Game.mGos[i].Alive);
        if (!holdsState) SendTo(peer, id, m);
    }
}

void SendClientInf(TCustomPeerPlay& peer, INetSendUi& ui) {
    if (Net.ServerID == 0) {
        Net.ServerLost = 1;
        ui.ServerNotFound();
    }
    SendTo(peer, Net.ServerID, MakeClientInf());
}

void SendEndOfTurn(TCustomPeerPlay& peer) { SendToAllAndSelf(peer, EndOfTurnMessage()); }
void SendEndOfTurnTo(TCustomPeerPlay& peer, uint32_t serverId) { SendTo(peer, serverId, EndOfTurnMessage()); }
void SendExit(TCustomPeerPlay& peer) { SendTo(peer, 0, MakeValueMessage(dx_Game_Exit, 1)); }
void SendCloseGame(TCustomPeerPlay& peer) { SendTo(peer, 0, MakeValueMessage(dx_Game_CloseAll, 1)); }

}  // namespace kordalt
