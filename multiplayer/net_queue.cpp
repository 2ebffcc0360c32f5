#include "multiplayer/net_queue.h"

#include <algorithm>
#include <cstring>
#include <iostream>

#include "multiplayer/net_envelope.h"
#include "multiplayer/net_message_table.h"

namespace kordalt {

uint32_t NetMessageCode(const std::vector<uint8_t>& data) {
    uint32_t code = 0;
    std::memcpy(&code, data.data(), sizeof code);
    return code;
}

size_t MaxNetMessageSize(uint32_t code) {
    const TNetMessageKind* kind = FindNetMessageKind(code);
    return kind ? kind->largest() : 0;
}

namespace {

void Dropped(uint32_t senderId, const std::string& why) {
    std::cerr << "net queue: dropped a message of player " << senderId << ": " << why << '\n';
}

}  // namespace

TNetQueue::TNetQueue(TDispatcher dispatch, TErrorDisplay showError)
    : dispatch_(std::move(dispatch)), showError_(std::move(showError)) {}

void TNetQueue::PeerPlayMessage(uint32_t fromId, const void* data, int32_t dataSize) {
    if (dataSize < 4) return;
    uint32_t code = 0;
    std::memcpy(&code, data, sizeof code);
    if (code == dx_Compressed) {
        const auto inner = DecompressMessgage(data, static_cast<size_t>(dataSize));
        if (!inner) {
            Dropped(fromId, inner.Why());
            if (shownDamaged_.insert(fromId).second && showError_) showError_(inner.Why());
            return;
        }
        QueueNetMessage(inner->data(), inner->size(), fromId);
    } else {
        QueueNetMessage(data, static_cast<size_t>(dataSize), fromId);
    }
    ProcessNetQueue();
}

void TNetQueue::QueueNetMessage(const void* data, size_t size, uint32_t senderId) {
    if (size < 4) return;
    uint32_t code = 0;
    std::memcpy(&code, data, sizeof code);
    const size_t max = MaxNetMessageSize(code);
    if (max == 0) return Dropped(senderId, "code " + std::to_string(code));
    if (size > max)
        return Dropped(senderId, "code " + std::to_string(code) + " of " + std::to_string(size) + " bytes");
    if (code == dx_Connect_Msg && !ChatLineAllowed(senderId)) return;
    size_t& held = senderBytes_[senderId];
    if (!AcceptedMessages.test(code) && held + size > ByteLimit)
        return Dropped(senderId, "its waiting messages hold " + std::to_string(held) + " bytes");
    const auto* bytes = static_cast<const uint8_t*>(data);
    queue_.push_back({senderId, std::vector<uint8_t>(bytes, bytes + size)});
    bytes_ += size;
    held += size;
}

bool TNetQueue::ChatLineAllowed(uint32_t senderId) {
    const auto now = Clock();
    auto [it, added] = chat_.try_emplace(senderId);
    TChatAllowance& a = it->second;
    if (!added) {
        const std::chrono::duration<double> since = now - a.at;
        a.lines = std::min(kChatBurst, a.lines + since.count() * kChatLinesPerSecond);
    }
    a.at = now;
    if (a.lines >= 1) {
        a.lines -= 1;
        a.dropping = false;
        return true;
    }
    if (!a.dropping)
        Dropped(senderId, "chat lines come faster than " +
                              std::to_string(static_cast<int>(kChatLinesPerSecond)) + " a second");
    a.dropping = true;
    return false;
}

void TNetQueue::Remove(const NetQueueItem& item) {
    bytes_ -= item.Data.size();
    auto held = senderBytes_.find(item.SenderID);
    held->second -= item.Data.size();
    if (held->second == 0) senderBytes_.erase(held);
}

void TNetQueue::ClearNetQueue() {
    queue_.clear();
    bytes_ = 0;
    senderBytes_.clear();
    chat_.clear();
    shownDamaged_.clear();
}

void TNetQueue::DropMessages(const TNetCodeSet& set) {
    std::erase_if(queue_, [&](const NetQueueItem& item) {
        const uint32_t code = NetMessageCode(item.Data);
        if (code >= 255 || !set.test(code)) return false;
        Remove(item);
        return true;
    });
}

uint32_t TNetQueue::PeekNetMessageCode() const {
    return queue_.empty() ? 255 : NetMessageCode(queue_.front().Data);
}

std::optional<NetQueueItem> TNetQueue::PopNetMessage() {
    if (queue_.empty()) return std::nullopt;
    NetQueueItem item = std::move(queue_.front());
    queue_.pop_front();
    Remove(item);
    return item;
}

void TNetQueue::PumpNetQueue(TNetCodeSet set) {
    // The queue is searched afresh each round: a dispatch may run a message
    // loop that queues (and pumps) further messages.
    for (;;) {
        auto accepted = std::find_if(queue_.begin(), queue_.end(), [&](const NetQueueItem& item) {
            uint32_t code = NetMessageCode(item.Data);
            return code < 255 && set.test(code);
        });
        if (accepted == queue_.end()) return;
        NetQueueItem item = std::move(*accepted);
        queue_.erase(accepted);
        Remove(item);
        dispatch_(item);
    }
}

bool TNetQueue::Holds(uint32_t code) const {
    return std::any_of(queue_.begin(), queue_.end(),
                       [code](const NetQueueItem& item) { return NetMessageCode(item.Data) == code; });
}

bool TNetQueue::Holds(uint32_t code, uint32_t senderId) const {
    return std::any_of(queue_.begin(), queue_.end(), [&](const NetQueueItem& item) {
        return item.SenderID == senderId && NetMessageCode(item.Data) == code;
    });
}

void TNetQueue::SetAcceptedMessages(const TNetCodeSet& set) {
    AcceptedMessages = set;
    ProcessNetQueue();
}

}  // namespace kordalt
