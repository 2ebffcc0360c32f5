// The incoming queue of a network game and its gate: messages wait in arrival
// order and are dispatched while the program's current step accepts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "multiplayer/net_codes.h"

namespace kordalt {

struct NetQueueItem {
    uint32_t SenderID = 0;
    std::vector<uint8_t> Data;  // the whole inner message, at least 4 bytes
};

class TNetQueue {
public:
    using TDispatcher = std::function<void(const NetQueueItem& item)>;
    using TErrorDisplay = std::function<void(const std::string& text)>;

    TNetQueue(TDispatcher dispatch, TErrorDisplay showError);

    // The session component's message handler: opens a compressed envelope,
    // queues the message and dispatches what the gate lets through. A damaged
    // envelope is shown and dropped.
    void PeerPlayMessage(uint32_t fromId, const void* data, int32_t dataSize);

    // Appends a copy; a message shorter than a code is dropped.
    void QueueNetMessage(const void* data, size_t size, uint32_t senderId);
    // The code of the head item; 255 when the queue is empty.
    uint32_t PeekNetMessageCode() const;
    std::optional<NetQueueItem> PopNetMessage();
    // Dispatches, from the head on, every waiting message that `set` accepts;
    // messages it does not accept stay queued in their order.
    void PumpNetQueue(TNetCodeSet set);
    void ProcessNetQueue() { PumpNetQueue(AcceptedMessages); }
    void SetAcceptedMessages(const TNetCodeSet& set);
    void ClearNetQueue() { queue_.clear(); }

    size_t Count() const { return queue_.size(); }
    // A message of `code` waits in the queue.
    bool Holds(uint32_t code) const;
    TNetCodeSet AcceptedMessages;  // empty: nothing is dispatched

private:
    TDispatcher dispatch_;
    TErrorDisplay showError_;
    std::deque<NetQueueItem> queue_;
};

// The first 32-bit word of a message of at least 4 bytes.
uint32_t NetMessageCode(const std::vector<uint8_t>& data);

}  // namespace kordalt
