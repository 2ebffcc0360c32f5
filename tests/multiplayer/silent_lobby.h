// A lobby window that shows nothing, for tests and fuzzers that drive the
// network messages without windows.
#pragma once

#include <cstdint>
#include <string>

#include "multiplayer/net_dispatch.h"

namespace kordalt::test {

class SilentLobby : public INetLobbyUi {
public:
    void ShowChatMessage(const std::string&, const std::string&, uint32_t) override {}
    void SetReadyMark(const std::string&, bool, int) override {}
    bool AllReady(int) override { return false; }
    void MarkAllReady(int) override {}
    void ShowTurnDelay(int) override {}
    void LobbyMapReceived() override {}
    void BecomeServer() override {}
    void ShowMapForWaiting() override {}
    void ShowWaitingInfo(const std::string&) override {}
};

}  // namespace kordalt::test
