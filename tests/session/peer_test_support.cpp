#include "peer_test_support.h"

#include <unistd.h>

#include <QThread>
#include <cstring>

#include "controls/classic.h"

namespace kordalt::test {

using namespace dplay;

namespace {

class RecordingLobby final : public ComObject<IDirectPlayLobby2A> {
public:
    explicit RecordingLobby(std::vector<GUID>& record) : record_(record) {}
    HRESULT CreateCompoundAddress(const DPCOMPOUNDADDRESSELEMENT* elements, uint32_t count, void* address,
                                  uint32_t* size) override {
        record_.clear();
        for (uint32_t i = 0; i < count; ++i) record_.push_back(elements[i].guidDataType);
        return BuildAddress(elements, count, address, size);
    }
    HRESULT EnumAddress(LPDPENUMADDRESSCALLBACK callback, const void* address, uint32_t size,
                        void* context) override {
        return WalkAddress(address, size, callback, context);
    }
    HRESULT GetConnectionSettings(uint32_t, void*, uint32_t*) override { return DPERR_NOTLOBBIED; }

protected:
    std::span<const GUID* const> Ids() const override {
        static const GUID* const ids[] = {&IID_IUnknown, &IID_IDirectPlayLobby, &IID_IDirectPlayLobby2A};
        return ids;
    }

private:
    std::vector<GUID>& record_;
};

}  // namespace

HRESULT MemoryService::Create(const GUID* provider, IDirectPlay** directPlay) {
    if (failCreate) return DPERR_UNSUPPORTED;
    IDirectPlay4A* object = nextObject ? nextObject : network.CreateDirectPlay("127.0.0.1", false);
    nextObject = nullptr;
    created.push_back(object);
    *directPlay = object;
    return DP_OK;
}

HRESULT MemoryService::EnumerateProviders(LPDPENUMDPCALLBACKA callback, void* context) {
    callback(&DPSPGUID_MODEM, "Modem", 4, 0, context);
    callback(&DPSPGUID_TCPIP, "TCP/IP", 4, 0, context);
    return DP_OK;
}

HRESULT MemoryService::CreateLobby(IDirectPlayLobby** lobby) {
    if (failLobby) return DPERR_UNSUPPORTED;
    *lobby = new RecordingLobby(lastElements);
    return DP_OK;
}

ShownErrors::ShownErrors() {
    SetApplicationExceptionHandler([this](QObject*, std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            texts.emplace_back(e.what());
        }
    });
}

ShownErrors::~ShownErrors() { SetApplicationExceptionHandler(nullptr); }

std::string Text(const void* data, int32_t size) {
    return {static_cast<const char*>(data), static_cast<size_t>(size)};
}

void Send(TCustomPeerPlay& peer, uint32_t to, const std::string& text) {
    peer.SendMessage(to, text.data(), static_cast<int32_t>(text.size()));
}

Recorder::Recorder(TCustomPeerPlay& peer) : peer(peer) {
    auto note = [this](std::string line) {
        onUiThread = onUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        events.push_back(std::move(line));
    };
    peer.OnOpen = [note](TCustomPeerPlay&) { note("open"); };
    peer.OnClose = [note](TCustomPeerPlay&) { note("close"); };
    peer.OnSessionLost = [note](TCustomPeerPlay&) { note("lost"); };
    peer.OnAddPlayer = [note](TCustomPeerPlay&, TPeerPlayPlayer& p) { note("add " + p.Name); };
    peer.OnDeletePlayer = [note](TCustomPeerPlay&, TPeerPlayPlayer& p) { note("delete " + p.Name); };
    peer.OnMessage = [this, note](TCustomPeerPlay&, TPeerPlayPlayer& from, const void* data, int32_t size) {
        messages.push_back(Text(data, size));
        note("msg " + from.Name + " " + messages.back());
    };
    peer.OnSendComplete = [note](TCustomPeerPlay&, uint32_t id, TPeerPlaySendCompleteResult r, int32_t time) {
        note("complete " + std::to_string(id) + " " + std::to_string(r) + " " + std::to_string(time));
    };
}

Recorder::~Recorder() {
    peer.OnOpen = peer.OnClose = peer.OnSessionLost = nullptr;
    peer.OnAddPlayer = peer.OnDeletePlayer = nullptr;
    peer.OnMessage = nullptr;
    peer.OnSendComplete = nullptr;
}

std::string TestAddress(int n) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    size_t h = std::hash<std::string>()(std::string(info->test_suite_name()) + "." + info->name() + "." +
                                        std::to_string(::getpid()));
    return "127." + std::to_string(1 + h % 250) + "." + std::to_string(1 + (h / 250) % 250) + "." +
           std::to_string(n);
}

}  // namespace kordalt::test
