#include "platform/session/receive_queue.h"

#include <algorithm>
#include <cstring>

namespace kordalt::dplay {

void ReceiveQueue::Begin(DPID self, IDPSignal* signal, std::vector<PlayerEntry> players) {
    std::scoped_lock lock(signalM_, m_);
    self_ = self;
    signal_ = signal;
    queue_.clear();
    view_ = std::move(players);
}

void ReceiveQueue::End() {
    std::scoped_lock lock(signalM_, m_);
    self_ = 0;
    signal_ = nullptr;
    queue_.clear();
    view_.clear();
}

bool ReceiveQueue::Active() const {
    std::lock_guard lock(m_);
    return self_ != 0;
}

DPID ReceiveQueue::Self() const {
    std::lock_guard lock(m_);
    return self_;
}

// Signals outside m_, so that the woken reader does not wait for it.
void ReceiveQueue::Push(Message m) {
    std::lock_guard signalLock(signalM_);
    {
        std::lock_guard lock(m_);
        if (!self_) return;
        queue_.push_back(std::move(m));
    }
    if (signal_) signal_->Set();
}

void ReceiveQueue::PushData(DPID from, DPID to, const uint8_t* data, size_t size) {
    auto block = std::make_unique_for_overwrite<uint8_t[]>(size);
    if (size) std::memcpy(block.get(), data, size);
    PushData(from, to, std::move(block), size, 0, size);
}

void ReceiveQueue::PushData(DPID from, DPID, std::unique_ptr<uint8_t[]> block, size_t capacity, size_t offset,
                            size_t size) {
    Message m;
    m.from = from;
    m.block = std::move(block);
    m.capacity = capacity;
    m.offset = offset;
    m.size = size;
    Push(std::move(m));
}

void ReceiveQueue::PushCreate(const PlayerEntry& player, uint32_t currentPlayers) {
    Push({0, DPSYS_CREATEPLAYERORGROUP, player, currentPlayers, {}, 0, 0});
}

void ReceiveQueue::PushDestroy(const PlayerEntry& player) {
    Push({0, DPSYS_DESTROYPLAYERORGROUP, player, 0, {}, 0, 0});
}

void ReceiveQueue::PushSessionLost() { Push({0, DPSYS_SESSIONLOST, {}, 0, {}, 0, 0}); }

void ReceiveQueue::PushHost() { Push({0, DPSYS_HOST, {}, 0, {}, 0, 0}); }

uint32_t ReceiveQueue::Size(const Message& m) {
    if (m.from) return static_cast<uint32_t>(m.size);
    uint32_t name = m.player.name.empty() ? 0 : static_cast<uint32_t>(m.player.name.size() + 1);
    switch (m.sysType) {
        case DPSYS_CREATEPLAYERORGROUP:
            return sizeof(DPMSG_CREATEPLAYERORGROUP) + name;
        case DPSYS_DESTROYPLAYERORGROUP:
            return sizeof(DPMSG_DESTROYPLAYERORGROUP) + name;
        default:
            return sizeof(DPMSG_GENERIC);
    }
}

void ReceiveQueue::Render(const Message& m, uint8_t* out) const {
    if (m.from) {
        if (m.size) std::memcpy(out, m.block.get() + m.offset, m.size);
        return;
    }
    DPNAME name{sizeof(DPNAME), 0, nullptr, nullptr};
    auto putName = [&](size_t at) {
        if (m.player.name.empty()) return;
        std::memcpy(out + at, m.player.name.c_str(), m.player.name.size() + 1);
        name.lpszShortNameA = reinterpret_cast<const char*>(out + at);
    };
    if (m.sysType == DPSYS_CREATEPLAYERORGROUP) {
        putName(sizeof(DPMSG_CREATEPLAYERORGROUP));
        DPMSG_CREATEPLAYERORGROUP msg{m.sysType, DPPLAYERTYPE_PLAYER, m.player.id, m.currentPlayers, name};
        std::memcpy(out, &msg, sizeof msg);
    } else if (m.sysType == DPSYS_DESTROYPLAYERORGROUP) {
        putName(sizeof(DPMSG_DESTROYPLAYERORGROUP));
        DPMSG_DESTROYPLAYERORGROUP msg{m.sysType, DPPLAYERTYPE_PLAYER, m.player.id, name};
        std::memcpy(out, &msg, sizeof msg);
    } else {
        DPMSG_GENERIC msg{m.sysType};
        std::memcpy(out, &msg, sizeof msg);
    }
}

void ReceiveQueue::Apply(const Message& m) {
    auto same = [&](const PlayerEntry& p) { return p.id == m.player.id; };
    if (m.from) return;
    if (m.sysType == DPSYS_CREATEPLAYERORGROUP && std::none_of(view_.begin(), view_.end(), same))
        view_.push_back(m.player);
    if (m.sysType == DPSYS_DESTROYPLAYERORGROUP) std::erase_if(view_, same);
}

HRESULT ReceiveQueue::Receive(DPID* from, DPID* to, uint32_t flags, void* data, uint32_t* size) {
    if (!from || !to || !size) return DPERR_INVALIDPARAMS;
    if (flags & ~DPRECEIVE_ALL) return DPERR_INVALIDFLAGS;
    std::lock_guard lock(m_);
    if (!self_) return DPERR_INVALIDPLAYER;
    if (queue_.empty()) return DPERR_NOMESSAGES;
    const Message& m = queue_.front();
    uint32_t need = Size(m);
    if (!data || *size < need) {
        *size = need;
        return DPERR_BUFFERTOOSMALL;
    }
    Render(m, static_cast<uint8_t*>(data));
    *from = m.from;
    *to = self_;
    *size = need;
    Apply(m);
    constexpr size_t kLarge = 16 * 1024, kSpares = 4;
    if (m.capacity >= kLarge && spares_.size() < kSpares)
        spares_.push_back({std::move(queue_.front().block), m.capacity});
    queue_.pop_front();
    return DP_OK;
}

std::unique_ptr<uint8_t[]> ReceiveQueue::TakeBlock(size_t size, size_t& capacity) {
    std::lock_guard lock(m_);
    for (auto it = spares_.begin(); it != spares_.end(); ++it) {
        if (it->capacity < size) continue;
        auto block = std::move(it->block);
        capacity = it->capacity;
        spares_.erase(it);
        return block;
    }
    capacity = size;
    return std::make_unique_for_overwrite<uint8_t[]>(size);
}

std::vector<PlayerEntry> ReceiveQueue::View() const {
    std::lock_guard lock(m_);
    return view_;
}

}  // namespace kordalt::dplay
