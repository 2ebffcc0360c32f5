// The incoming queue and its gate.
#include "multiplayer/net_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "multiplayer/net_codes.h"
#include "multiplayer/net_envelope.h"
#include "multiplayer/net_messages.h"

namespace kordalt {
namespace {

std::vector<uint8_t> Message(uint32_t code, uint8_t tag = 0) {
    std::vector<uint8_t> m(8, tag);
    std::memcpy(m.data(), &code, 4);
    return m;
}

struct Fixture {
    std::vector<uint32_t> dispatched;
    std::vector<uint32_t> senders;
    std::vector<std::string> shown;
    std::function<void(const NetQueueItem&)> onDispatch;
    TNetQueue queue{[this](const NetQueueItem& item) {
                        dispatched.push_back(NetMessageCode(item.Data));
                        senders.push_back(item.SenderID);
                        if (onDispatch) onDispatch(item);
                    },
                    [this](const std::string& text) { shown.push_back(text); }};

    void Arrive(uint32_t code, uint32_t from = 5) {
        auto m = Message(code);
        queue.PeerPlayMessage(from, m.data(), static_cast<int32_t>(m.size()));
    }
    std::vector<uint32_t> Left() {
        std::vector<uint32_t> codes;
        while (auto item = queue.PopNetMessage()) codes.push_back(NetMessageCode(item->Data));
        return codes;
    }
};

TEST(NetGate, AcceptedSetsLetMessagesThroughAndKeepTheOthersInOrder) {
    const TNetCodeSet none;
    struct Case {
        const char* what;
        TNetCodeSet atArrival;
        std::vector<uint32_t> arriving;
        std::vector<uint32_t> dispatchedOnArrival;
        TNetCodeSet later;
        std::vector<uint32_t> dispatchedLater;
        std::vector<uint32_t> left;
    } cases[] = {
        {"nothing accepted: they pile up", none, {13, 0, 11}, {}, none, {}, {13, 0, 11}},
        {"lobby: all in order", AllMessageCodes, {0, 3, 1, 4, 0}, {0, 3, 1, 4, 0}, none, {}, {}},
        {"top of year: the result passes an early end of turn",
         TurnTopMessages,
         {13, 11},
         {11},
         LocalTurnMessages,
         {13},
         {}},
        {"top of year: held ones keep their order",
         TurnTopMessages,
         {13, 0, 12, 11, 13},
         {0, 11},
         LocalTurnMessages,
         {13, 12, 13},
         {}},
        {"own turn: the next result waits",
         LocalTurnMessages,
         {10, 13, 11, 12},
         {13, 12},
         TurnTopMessages,
         {10, 11},
         {}},
        {"codes never sent are dropped on arrival", none, {6, 255, 300, 17}, {}, AllMessageCodes, {17}, {}},
        {"empty set keeps everything", none, {1, 2}, {}, AllMessageCodes, {1, 2}, {}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.queue.SetAcceptedMessages(c.atArrival);
        for (uint32_t code : c.arriving) f.Arrive(code);
        EXPECT_EQ(f.dispatched, c.dispatchedOnArrival) << c.what;
        f.dispatched.clear();
        f.queue.SetAcceptedMessages(c.later);
        EXPECT_EQ(f.dispatched, c.dispatchedLater) << c.what;
        EXPECT_EQ(f.Left(), c.left) << c.what;
    }
}

TEST(NetGate, PeekPopAndClear) {
    Fixture f;
    EXPECT_EQ(f.queue.PeekNetMessageCode(), 255u);
    EXPECT_FALSE(f.queue.PopNetMessage());
    for (uint32_t code : {13u, 11u, 0u}) f.Arrive(code);
    EXPECT_EQ(f.queue.PeekNetMessageCode(), 13u);
    EXPECT_EQ(f.queue.Count(), 3u);
    f.queue.ClearNetQueue();
    EXPECT_EQ(f.queue.Count(), 0u);
    EXPECT_EQ(f.queue.PeekNetMessageCode(), 255u);
    const uint8_t tiny[3] = {1, 0, 0};
    f.queue.QueueNetMessage(tiny, sizeof tiny, 5);  // shorter than a code
    EXPECT_EQ(f.queue.Count(), 0u);
}

TEST(NetGate, CompressedMessageIsQueuedOpenedWithItsSender) {
    Fixture f;
    std::vector<uint8_t> inner = Message(11, 0x5A);
    inner.resize(20000, 0x5A);
    auto envelope = CompressMessage(inner.data(), inner.size());
    std::vector<uint8_t> got;
    f.onDispatch = [&](const NetQueueItem& item) { got = item.Data; };
    f.queue.SetAcceptedMessages(TurnTopMessages);
    f.queue.PeerPlayMessage(77, envelope.data(), static_cast<int32_t>(envelope.size()));
    EXPECT_EQ(f.dispatched, std::vector<uint32_t>{11});
    EXPECT_EQ(f.senders, std::vector<uint32_t>{77});
    EXPECT_TRUE(got == inner);

    envelope[envelope.size() / 2] ^= 0x55;
    envelope.resize(envelope.size() - 10);
    f.queue.PeerPlayMessage(77, envelope.data(), static_cast<int32_t>(envelope.size()));
    EXPECT_EQ(f.dispatched.size(), 1u);
    EXPECT_EQ(f.queue.Count(), 0u);
    EXPECT_EQ(f.shown.size(), 1u);
}

TEST(NetGate, MessagesLongerThanTheirCodeCanHoldAreDroppedOnArrival) {
    struct Case {
        uint32_t code;
        size_t size;
        bool kept;
    } cases[] = {
        {13, 8, true},
        {13, 9, false},
        {12, 1136, true},
        {12, 1137, false},
        {3, 10412, true},
        {16, 10413, false},
        {0, 12 + kChatLineLength, true},
        {0, 12 + kChatLineLength + 1, false},
        {10, kFullInfSize + 264 * 65535, true},
        {10, kFullInfSize + 264 * 65535 + 1, false},
        {11, kHalfInfSize + 264 * 65535, true},
        {11, kHalfInfSize + 264 * 65535 + 1, false},
    };
    for (const Case& c : cases) {
        Fixture f;
        std::vector<uint8_t> m(c.size, 0);
        std::memcpy(m.data(), &c.code, 4);
        f.queue.PeerPlayMessage(5, m.data(), static_cast<int32_t>(m.size()));
        EXPECT_EQ(f.queue.Count(), c.kept ? 1u : 0u) << c.code << ", " << c.size << " bytes";
        EXPECT_EQ(f.queue.Bytes(), c.kept ? c.size : 0u);
    }
}

// A small envelope that opens into a large message of a code nobody accepts
// (or more than its code holds) leaves nothing behind.
TEST(NetGate, AnEnvelopeOpeningIntoAnUnacceptableMessageKeepsNothing) {
    for (uint32_t code : {7u, 13u, 1000u}) {
        Fixture f;
        std::vector<uint8_t> inner(1 << 20, 0);
        std::memcpy(inner.data(), &code, 4);
        auto envelope = CompressMessage(inner.data(), inner.size());
        ASSERT_LT(envelope.size(), 64u * 1024);
        f.queue.PeerPlayMessage(5, envelope.data(), static_cast<int32_t>(envelope.size()));
        EXPECT_EQ(f.queue.Count(), 0u) << code;
        EXPECT_EQ(f.queue.Bytes(), 0u);
    }
}

TEST(NetGate, ASendersWaitingMessagesHoldNoMoreThanItsByteLimit) {
    EXPECT_GE(kNetQueueByteLimit, 2 * MaxNetMessageSize(dx_Game_SendFull));
    Fixture f;
    f.queue.ByteLimit = 3 * kMapMessageSize;
    std::vector<uint8_t> map(kMapMessageSize, 0);
    const uint32_t code = dx_Connect_SendMap;
    std::memcpy(map.data(), &code, 4);
    for (int i = 0; i < 5; ++i) f.queue.PeerPlayMessage(5, map.data(), static_cast<int32_t>(map.size()));
    EXPECT_EQ(f.queue.Count(), 3u);
    EXPECT_EQ(f.queue.Bytes(), 3 * kMapMessageSize);
    // Dispatching makes room again; clearing empties it.
    f.queue.PumpNetQueue(AllMessageCodes);
    EXPECT_EQ(f.queue.Bytes(), 0u);
    f.queue.PeerPlayMessage(5, map.data(), static_cast<int32_t>(map.size()));
    f.Arrive(13);
    EXPECT_EQ(f.queue.Bytes(), kMapMessageSize + 8);
    f.queue.ClearNetQueue();
    EXPECT_EQ(f.queue.Bytes(), 0u);
    EXPECT_EQ(f.queue.Count(), 0u);
}

// One sender's flood of messages the step holds fills only its own share: the
// others' messages still wait, and what the step takes always passes.
TEST(NetGate, OneSendersFloodKeepsNothingElseOut) {
    Fixture f;
    f.queue.ByteLimit = 3 * kMapMessageSize;
    f.queue.SetAcceptedMessages(LocalTurnMessages);
    std::vector<uint8_t> full(kMapMessageSize, 0);
    const uint32_t code = dx_Game_SendFull;
    std::memcpy(full.data(), &code, 4);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 10; ++i) f.queue.PeerPlayMessage(5, full.data(), static_cast<int32_t>(full.size()));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(f.queue.Count(), 3u);
    EXPECT_NE(err.find("dropped a message of player 5"), std::string::npos) << err;
    f.queue.PeerPlayMessage(6, full.data(), static_cast<int32_t>(full.size()));
    f.Arrive(dx_Game_EndOfTurn, 5);
    f.Arrive(dx_Connect_Msg, 5);
    f.Arrive(dx_Game_CloseAll, 6);
    EXPECT_EQ(f.dispatched, (std::vector<uint32_t>{dx_Game_EndOfTurn, dx_Connect_Msg, dx_Game_CloseAll}));
    EXPECT_EQ(f.queue.Count(), 4u);
    EXPECT_EQ(f.queue.Bytes(), 4 * kMapMessageSize);
    f.queue.SetAcceptedMessages(TurnTopMessages);
    EXPECT_EQ(f.queue.Count(), 0u);
    EXPECT_EQ(f.queue.Bytes(), 0u);
}

// A sender's chat lines pass in a burst, then at a steady rate; each run of
// dropped lines is noted once, and the others talk on.
TEST(NetGate, ChatLinesOfOneSenderAreLimitedToABurstAndARate) {
    Fixture f;
    std::chrono::steady_clock::time_point now{};
    f.queue.Clock = [&] { return now; };
    f.queue.SetAcceptedMessages(AllMessageCodes);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 40; ++i) f.Arrive(dx_Connect_Msg, 5);
    f.Arrive(dx_Connect_Msg, 6);
    now += std::chrono::seconds(1);
    for (int i = 0; i < 5; ++i) f.Arrive(dx_Connect_Msg, 5);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(f.senders.begin(), f.senders.end(), 5u), kChatBurst + kChatLinesPerSecond);
    EXPECT_EQ(std::count(f.senders.begin(), f.senders.end(), 6u), 1);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
}

// Damaged envelopes: one box for each sender, every one written to standard error.
TEST(NetGate, DamagedEnvelopesShowOneBoxPerSender) {
    Fixture f;
    std::vector<uint8_t> inner = Message(11);
    inner.resize(5000, 0x33);
    auto envelope = CompressMessage(inner.data(), inner.size());
    envelope.resize(envelope.size() / 2);
    envelope[4] = static_cast<uint8_t>(envelope.size());
    envelope[5] = static_cast<uint8_t>(envelope.size() >> 8);
    testing::internal::CaptureStderr();
    for (uint32_t from : {5u, 5u, 6u, 5u, 6u})
        f.queue.PeerPlayMessage(from, envelope.data(), static_cast<int32_t>(envelope.size()));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(f.shown.size(), 2u);
    size_t lines = 0;
    for (size_t at = err.find("dropped"); at != std::string::npos; at = err.find("dropped", at + 1)) ++lines;
    EXPECT_EQ(lines, 5u) << err;
    EXPECT_EQ(f.queue.Count(), 0u);
    // A new session shows again.
    f.queue.ClearNetQueue();
    f.queue.PeerPlayMessage(5, envelope.data(), static_cast<int32_t>(envelope.size()));
    EXPECT_EQ(f.shown.size(), 3u);
}

TEST(NetGate, RunningPumpKeepsItsCopyOfTheSet) {
    Fixture f;
    f.Arrive(1);
    f.Arrive(2);
    f.onDispatch = [&](const NetQueueItem& item) {
        if (NetMessageCode(item.Data) == 1) f.queue.SetAcceptedMessages(TNetCodeSet{});
    };
    f.queue.SetAcceptedMessages(AllMessageCodes);
    f.Arrive(0);  // under the new, empty set
    EXPECT_EQ(f.dispatched, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(f.Left(), std::vector<uint32_t>{0});
}

TEST(NetGate, MessagesArrivingDuringADispatchAreDispatchedInOrder) {
    Fixture f;
    f.queue.SetAcceptedMessages(AllMessageCodes);
    f.onDispatch = [&](const NetQueueItem& item) {
        if (NetMessageCode(item.Data) == 13) {
            f.Arrive(0, 9);  // a send to the own player inside the dispatch
            f.Arrive(14, 9);
        }
    };
    f.Arrive(13);
    f.Arrive(2);
    EXPECT_EQ(f.dispatched, (std::vector<uint32_t>{13, 0, 14, 2}));
    EXPECT_EQ(f.senders, (std::vector<uint32_t>{5, 9, 9, 5}));
}

}  // namespace
}  // namespace kordalt
