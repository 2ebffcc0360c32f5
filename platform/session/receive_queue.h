// The local player's incoming messages, oldest first, and the player list as
// the application has seen it through the messages it has taken.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/session/dplay.h"

namespace kordalt::dplay {

struct PlayerEntry {
    DPID id;
    std::string name;
};

class ReceiveQueue {
public:
    // A local player was created; `players` is the session's player list at that moment.
    void Begin(DPID self, IDPSignal* signal, std::vector<PlayerEntry> players);
    // The local player is gone: drops the messages; no Set() follows once this returns.
    void End();
    bool Active() const;
    DPID Self() const;

    void PushData(DPID from, DPID to, const uint8_t* data, size_t size);
    // Takes a block that holds the message at `offset`.
    void PushData(DPID from, DPID to, std::unique_ptr<uint8_t[]> block, size_t capacity, size_t offset,
                  size_t size);
    void PushCreate(const PlayerEntry& player, uint32_t currentPlayers);
    void PushDestroy(const PlayerEntry& player);
    void PushSessionLost();
    void PushHost();

    HRESULT Receive(DPID* from, DPID* to, uint32_t flags, void* data, uint32_t* size);
    // A block of at least `size` bytes, reusing one of a message already taken.
    std::unique_ptr<uint8_t[]> TakeBlock(size_t size, size_t& capacity);
    // Players in creation order, the own one included; empty when not Active().
    std::vector<PlayerEntry> View() const;

private:
    struct Message {
        DPID from = 0;
        uint32_t sysType = 0;  // from == 0
        PlayerEntry player{};
        uint32_t currentPlayers = 0;
        std::unique_ptr<uint8_t[]> block;  // from != 0: the message is `size` bytes at `offset`
        size_t offset = 0, size = 0;
        size_t capacity = 0;  // of the block
    };
    void Push(Message m);
    static uint32_t Size(const Message& m);
    void Render(const Message& m, uint8_t* out) const;
    void Apply(const Message& m);

    std::mutex signalM_;           // taken before m_
    IDPSignal* signal_ = nullptr;  // guarded by signalM_
    mutable std::mutex m_;
    DPID self_ = 0;
    std::deque<Message> queue_;
    std::vector<PlayerEntry> view_;
    struct Spare {
        std::unique_ptr<uint8_t[]> block;
        size_t capacity;
    };
    std::vector<Spare> spares_;  // blocks of large messages taken, for reuse
};

}  // namespace kordalt::dplay
