// Test side of the session component: the in-memory service behind the
// component's service interface, a scripted session object, and waiting on
// the user-interface thread with a bound.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/session/address.h"
#include "platform/session/com_object.h"
#include "platform/session/memory_directplay.h"
#include "session/peer_play.h"

namespace kordalt::test {

using namespace std::chrono_literals;

inline const std::string kGameGuid = "{00000000-0000-0000-0000-123000000000}";

// Runs the user-interface thread's events until `done` holds or `timeout` passes.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
    return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}
// Runs the user-interface thread's events for `span`.
inline void Pump(std::chrono::milliseconds span = 100ms) { QTest::qWait(static_cast<int>(span.count())); }

// Every service call goes to one in-memory network; the lobby records the
// address elements it was asked to build.
class MemoryService final : public IPeerPlayService {
public:
    dplay::HRESULT Create(const dplay::GUID* provider, dplay::IDirectPlay** directPlay) override;
    dplay::HRESULT EnumerateProviders(dplay::LPDPENUMDPCALLBACKA callback, void* context) override;
    dplay::HRESULT CreateLobby(dplay::IDirectPlayLobby** lobby) override;

    dplay::MemoryNetwork network;
    // Data types of the elements of the last address built.
    std::vector<dplay::GUID> lastElements;
    // Made by the next Create instead of a network object (one reference given away).
    dplay::IDirectPlay4A* nextObject = nullptr;
    std::vector<dplay::IDirectPlay4A*> created;  // not owned
    bool failLobby = false, failCreate = false;
};

// Collects what the application's exception display is given.
class ShownErrors {
public:
    ShownErrors();
    ~ShownErrors();
    std::vector<std::string> texts;
};

// A component whose events are recorded as lines ("open", "add anna", "msg anna hi", ...).
struct Recorder {
    explicit Recorder(TCustomPeerPlay& peer);
    ~Recorder();  // the component may outlive the recorder
    TCustomPeerPlay& peer;
    std::vector<std::string> events;
    std::vector<std::string> messages;  // texts of OnMessage, in order
    bool onUiThread = true;             // every event ran on the user-interface thread
};

std::string Text(const void* data, int32_t size);
void Send(TCustomPeerPlay& peer, uint32_t to, const std::string& text);

// A loopback address of this test: 127.a.b.n from the test's name and the process.
std::string TestAddress(int n);

}  // namespace kordalt::test
