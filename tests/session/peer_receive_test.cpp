// The receive routine against a scripted session object: system messages,
// senders that are not listed, buffer growth, and the send flags.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <tuple>

#include "peer_test_support.h"
#include "session/com_ptr.h"
#include "session/peer_consts.h"
#include "session/peer_play_qt.h"

namespace kordalt::test {
namespace {

using namespace dplay;

constexpr DPID kSelf = 7, kVera = 9;

// A session object whose incoming messages the test writes; every call comes
// from the test's own thread.
class ScriptedDirectPlay final : public ComObject<IDirectPlay4A> {
public:
    struct Message {
        DPID from;
        std::vector<uint8_t> bytes;
        std::string name;  // the short name of a create message
    };

    void Deliver(Message m) {
        inbox.push_back(std::move(m));
        if (signal) signal->Set();
    }

    HRESULT InitializeConnection(const void*, uint32_t) override { return DP_OK; }
    HRESULT EnumSessions(DPSESSIONDESC2*, uint32_t, LPDPENUMSESSIONSCALLBACK2, void*, uint32_t) override {
        return DP_OK;
    }
    HRESULT Open(DPSESSIONDESC2*, uint32_t) override { return DP_OK; }
    HRESULT Close() override { return DP_OK; }
    HRESULT CreatePlayer(DPID* id, const DPNAME*, IDPSignal* event, const void*, uint32_t,
                         uint32_t) override {
        if (refusePlayer) return DPERR_CANTCREATEPLAYER;
        *id = kSelf;
        signal = event;
        if (!inbox.empty()) signal->Set();
        return DP_OK;
    }
    HRESULT DestroyPlayer(DPID) override {
        signal = nullptr;
        return DP_OK;
    }
    HRESULT EnumPlayers(const GUID*, LPDPENUMPLAYERSCALLBACK2 callback, void* context, uint32_t) override {
        DPNAME name{sizeof(DPNAME), 0, "vera", nullptr};
        callback(kVera, DPPLAYERTYPE_PLAYER, &name, 0, context);
        return DP_OK;
    }
    HRESULT GetCaps(DPCAPS* caps, uint32_t) override {
        caps->dwFlags = capsFlags;
        return DP_OK;
    }
    HRESULT GetPlayerAddress(DPID, void*, uint32_t*) override { return DPERR_UNSUPPORTED; }
    HRESULT Send(DPID from, DPID to, uint32_t flags, const void*, uint32_t size) override {
        sent.emplace_back(from, to, flags, size);
        return DP_OK;
    }
    HRESULT SendEx(DPID from, DPID to, uint32_t flags, const void*, uint32_t size, uint32_t, uint32_t, void*,
                   uint32_t*) override {
        sent.emplace_back(from, to, flags, size);
        return DP_OK;
    }
    HRESULT Receive(DPID* from, DPID* to, uint32_t flags, void* data, uint32_t* size) override {
        ++receiveCalls;
        if (flags != DPRECEIVE_ALL) return DPERR_INVALIDFLAGS;
        if (inbox.empty()) return DPERR_NOMESSAGES;
        const Message& m = inbox.front();
        auto need = static_cast<uint32_t>(m.bytes.size() + m.name.size() + 1);
        if (*size < need) {
            *size = need;
            return DPERR_BUFFERTOOSMALL;
        }
        largestBuffer = std::max(largestBuffer, *size);
        auto* out = static_cast<uint8_t*>(data);
        std::memcpy(out, m.bytes.data(), m.bytes.size());
        if (!m.name.empty()) {
            char* name = reinterpret_cast<char*>(out + m.bytes.size());
            std::memcpy(name, m.name.c_str(), m.name.size() + 1);
            auto* create = reinterpret_cast<DPMSG_CREATEPLAYERORGROUP*>(out);
            create->dpnName.lpszShortNameA = name;
        }
        *from = m.from;
        *to = kSelf;
        *size = static_cast<uint32_t>(m.bytes.size());
        inbox.pop_front();
        return DP_OK;
    }

    std::deque<Message> inbox;
    bool refusePlayer = false;
    IDPSignal* signal = nullptr;
    uint32_t capsFlags = 0;
    std::vector<std::tuple<DPID, DPID, uint32_t, uint32_t>> sent;
    int receiveCalls = 0;
    uint32_t largestBuffer = 0;

protected:
    std::span<const GUID* const> Ids() const override {
        static const GUID* const ids[] = {&IID_IUnknown, &IID_IDirectPlay, &IID_IDirectPlay4A};
        return ids;
    }
};

template <class Record>
ScriptedDirectPlay::Message System(const Record& r, std::string name = {}) {
    std::vector<uint8_t> bytes(sizeof r);
    std::memcpy(bytes.data(), &r, sizeof r);
    return {DPID_SYSMSG, bytes, std::move(name)};
}
ScriptedDirectPlay::Message Create(DPID id, std::string name) {
    DPMSG_CREATEPLAYERORGROUP m{
        DPSYS_CREATEPLAYERORGROUP, DPPLAYERTYPE_PLAYER, id, 2, {sizeof(DPNAME), 0, {}, {}}};
    return System(m, std::move(name));
}
ScriptedDirectPlay::Message Destroy(DPID id) {
    DPMSG_DESTROYPLAYERORGROUP m{DPSYS_DESTROYPLAYERORGROUP, DPPLAYERTYPE_PLAYER, id, {}};
    return System(m);
}
ScriptedDirectPlay::Message Complete(DPID from, HRESULT hr, uint32_t id, uint32_t time) {
    DPMSG_SENDCOMPLETE m{DPSYS_SENDCOMPLETE, from, kVera, 0, 0, 0, nullptr, id, hr, time};
    return System(m);
}
ScriptedDirectPlay::Message Data(DPID from, const std::string& text) {
    return {from, std::vector<uint8_t>(text.begin(), text.end()), {}};
}

// A component opened through the wizard on a scripted session object.
class PeerReceive : public ::testing::Test {
protected:
    void SetUp() override {
        SetPeerPlayWizard([this](TCustomPeerPlay&, TPeerPlayWizardResult& result) {
            script->AddRef();
            result = {script, "self", "TCP/IP", "scripted"};
            return true;
        });
    }
    void TearDown() override { SetPeerPlayWizard(nullptr); }
    void Open() {
        peer->Open();
        ASSERT_TRUE(peer->Opened());
    }

    ScriptedDirectPlay* script = new ScriptedDirectPlay;
    ComPtr<ScriptedDirectPlay> testReference{script};  // the component gets its own
    MemoryService service;
    ShownErrors shown;
    std::unique_ptr<TPeerPlay> peer = std::make_unique<TPeerPlay>(nullptr, service);
    Recorder record{*peer};
};

TEST_F(PeerReceive, SystemMessagesChangeThePlayersAndFireTheirEvents) {
    Open();
    EXPECT_FALSE(peer->IsHost());  // vera was there first
    record.events.clear();
    for (auto m :
         {Create(kSelf, "me again"), Create(12, "olga"), Destroy(55), Destroy(kVera), Destroy(kSelf),
          System(DPMSG_GENERIC{0x4242}), Data(12, "hi!!"), Data(12, "abc"), System(DPMSG_HOST{DPSYS_HOST})})
        script->Deliver(m);
    ASSERT_TRUE(WaitFor([&] { return peer->IsHost(); }));
    EXPECT_EQ(record.events, (std::vector<std::string>{"add olga", "delete vera", "msg olga hi!!"}));
    ASSERT_EQ(peer->Players().Count(), 2);
    EXPECT_EQ(peer->Players().GetItem(1).Name, "olga");
    EXPECT_TRUE(peer->Players().GetItem(1).Remote);
    EXPECT_EQ(peer->Players().IndexOf(kVera), -1);
    EXPECT_TRUE(shown.texts.empty());
    EXPECT_TRUE(record.onUiThread);
}

TEST_F(PeerReceive, RefusedOwnPlayerClosesAgainWithTheSessionsName) {
    script->refusePlayer = true;
    try {
        peer->Open();
        ADD_FAILURE() << "opened without a player";
    } catch (const EPeerPlayError& e) {
        EXPECT_STREQ(e.what(), "scripted cannot be opened");
    }
    EXPECT_FALSE(peer->Opened());
    EXPECT_EQ(peer->DirectPlay(), nullptr);
    EXPECT_EQ(peer->Players().Count(), 0);
    EXPECT_TRUE(record.events.empty());  // OnOpen never fired, so no OnClose
}

TEST_F(PeerReceive, SendCompletionsOfTheOwnPlayerOnly) {
    Open();
    record.events.clear();
    script->Deliver(Complete(kSelf, DP_OK, 1, 10));
    script->Deliver(Complete(kSelf, DPERR_CANCELLED, 2, 20));
    script->Deliver(Complete(kSelf, DPERR_CONNECTIONLOST, 3, 30));
    script->Deliver(Complete(kVera, DP_OK, 4, 40));
    ASSERT_TRUE(WaitFor([&] { return script->inbox.empty(); }));
    EXPECT_EQ(record.events,
              (std::vector<std::string>{"complete 1 0 10", "complete 2 1 20", "complete 3 2 30"}));
}

TEST_F(PeerReceive, ShortOrTruncatedSystemMessagesAreIgnored) {
    Open();
    record.events.clear();
    auto truncated = Create(12, "");
    truncated.bytes.resize(12);  // type, player type and id only
    auto tiny = Data(DPID_SYSMSG, "\x03");
    script->Deliver(truncated);
    script->Deliver(tiny);
    script->Deliver(Data(kVera, "end!"));
    ASSERT_TRUE(WaitFor([&] { return !record.messages.empty(); }));
    EXPECT_EQ(record.events, std::vector<std::string>{"msg vera end!"});
    EXPECT_EQ(peer->Players().Count(), 2);
}

TEST_F(PeerReceive, UnlistedSenderIsShownAndTheRestWaitForTheNextWakeUp) {
    Open();
    script->Deliver(Data(kVera, "one!"));
    script->Deliver(Data(404, "lost"));
    script->Deliver(Data(kVera, "two!"));
    ASSERT_TRUE(WaitFor([&] { return !shown.texts.empty(); }));
    Pump();
    EXPECT_EQ(shown.texts, std::vector<std::string>{SPlayerNotFound});
    EXPECT_EQ(record.messages, std::vector<std::string>{"one!"});
    EXPECT_EQ(script->inbox.size(), 1u);
    script->Deliver(Data(kVera, "three"));
    ASSERT_TRUE(WaitFor([&] { return record.messages.size() == 3; }));
    EXPECT_EQ(record.messages, (std::vector<std::string>{"one!", "two!", "three"}));
}

TEST_F(PeerReceive, MessagesWaitingAtOneWakeUpAreAllTakenAndTheBufferGrowsOnlyToFit) {
    script->Deliver(Data(kVera, std::string(100, 'a')));
    script->Deliver(Data(kVera, std::string(91448, 'b')));
    script->Deliver(Data(kVera, "tiny"));
    Open();  // the object signalled before the thread started: one wake-up
    ASSERT_TRUE(WaitFor([&] { return record.messages.size() == 3; }));
    EXPECT_EQ(record.messages[1], std::string(91448, 'b'));
    EXPECT_EQ(record.messages[2], "tiny");
    EXPECT_EQ(script->largestBuffer, 91449u);
    EXPECT_EQ(script->receiveCalls, 3 + 2 + 1);  // two resizes, one "no more"
}

TEST_F(PeerReceive, SendFlagsFollowAsyncAndTheCapabilities) {
    struct Case {
        bool async;
        uint32_t caps;
        uint32_t flags;
    } cases[] = {
        {false, 0, DPSEND_GUARANTEED},
        {true, 0, DPSEND_GUARANTEED},
        {false, DPCAPS_ASYNCSUPPORTED, DPSEND_GUARANTEED},
        {true, DPCAPS_ASYNCSUPPORTED, DPSEND_GUARANTEED | DPSEND_ASYNC},
    };
    for (const Case& c : cases) {
        script->capsFlags = c.caps;
        script->sent.clear();
        peer->Async = c.async;
        Open();
        EXPECT_EQ(peer->AsyncSupported(), c.caps != 0);
        Send(*peer, kVera, "four");
        Send(*peer, 0, "everyone");
        auto expected = std::vector<std::tuple<DPID, DPID, uint32_t, uint32_t>>{{kSelf, kVera, c.flags, 4},
                                                                                {kSelf, 0, c.flags, 8}};
        EXPECT_EQ(script->sent, expected) << c.async << " " << c.caps;
        peer->Close();
    }
}

}  // namespace
}  // namespace kordalt::test
