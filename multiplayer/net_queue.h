// The incoming queue of a network game and its gate: messages wait in arrival
// order and are dispatched while the program's current step accepts them.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "multiplayer/net_codes.h"

namespace kordalt {

struct NetQueueItem {
    uint32_t SenderID = 0;
    std::vector<uint8_t> Data;  // the whole inner message, at least 4 bytes
};

// The largest message of `code` its layout allows; 0 for codes outside the message set.
size_t MaxNetMessageSize(uint32_t code);
// What one sender's waiting messages may hold at most, in bytes: twice the largest message.
constexpr size_t kNetQueueByteLimit = 40u << 20;

// Chat lines a sender may send at once, and how many a second after that.
constexpr double kChatBurst = 30;
constexpr double kChatLinesPerSecond = 2;

class TNetQueue {
public:
    using TClock = std::function<std::chrono::steady_clock::time_point()>;
    using TDispatcher = std::function<void(const NetQueueItem& item)>;
    using TErrorDisplay = std::function<void(const std::string& text)>;

    TNetQueue(TDispatcher dispatch, TErrorDisplay showError);

    // The session component's message handler: opens a compressed envelope,
    // queues the message and dispatches what the gate lets through. A damaged
    // envelope is dropped: the first of each sender is shown, every one is
    // written to standard error.
    void PeerPlayMessage(uint32_t fromId, const void* data, int32_t dataSize);

    // Appends a copy. Dropped (and written to standard error): a message
    // shorter than a code, of a code outside the message set, longer than its
    // code's layout allows, or that the current step holds and that would take
    // its sender's waiting messages over ByteLimit. One sender's flood thus
    // never keeps another's messages out, nor a message the step takes. A
    // sender's chat lines beyond kChatBurst and kChatLinesPerSecond are
    // dropped, the first of each run written to standard error.
    void QueueNetMessage(const void* data, size_t size, uint32_t senderId);
    // The code of the head item; 255 when the queue is empty.
    uint32_t PeekNetMessageCode() const;
    std::optional<NetQueueItem> PopNetMessage();
    // Dispatches, from the head on, every waiting message that `set` accepts;
    // messages it does not accept stay queued in their order.
    void PumpNetQueue(TNetCodeSet set);
    void ProcessNetQueue() { PumpNetQueue(AcceptedMessages); }
    void SetAcceptedMessages(const TNetCodeSet& set);
    // Drops the waiting messages of the codes in `set`.
    void DropMessages(const TNetCodeSet& set);
    // Empties the queue and forgets whose damaged envelopes were shown.
    void ClearNetQueue();

    size_t Count() const { return queue_.size(); }
    size_t Bytes() const { return bytes_; }
    // A message of `code` waits in the queue.
    bool Holds(uint32_t code) const;
    bool Holds(uint32_t code, uint32_t senderId) const;
    TNetCodeSet AcceptedMessages;           // empty: nothing is dispatched
    size_t ByteLimit = kNetQueueByteLimit;  // per sender
    TClock Clock = std::chrono::steady_clock::now;

private:
    struct TChatAllowance {
        double lines = kChatBurst;
        std::chrono::steady_clock::time_point at;
        bool dropping = false;
    };

    void Remove(const NetQueueItem& item);
    bool ChatLineAllowed(uint32_t senderId);

    TDispatcher dispatch_;
    TErrorDisplay showError_;
    std::deque<NetQueueItem> queue_;
    size_t bytes_ = 0;
    std::map<uint32_t, size_t> senderBytes_;
    std::map<uint32_t, TChatAllowance> chat_;
    std::set<uint32_t> shownDamaged_;  // senders whose damaged envelope was shown
};

// The first 32-bit word of a message of at least 4 bytes.
uint32_t NetMessageCode(const std::vector<uint8_t>& data);

}  // namespace kordalt
