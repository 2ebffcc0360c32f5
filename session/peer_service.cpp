#include "session/peer_service.h"

#include "session/peer_loader.h"

namespace kordalt {
namespace {

class LoadedService final : public IPeerPlayService {
public:
    dplay::HRESULT Create(const dplay::GUID* provider, dplay::IDirectPlay** directPlay) override {
        return DirectPlayCreate(provider, directPlay, nullptr);
    }
    dplay::HRESULT EnumerateProviders(dplay::LPDPENUMDPCALLBACKA callback, void* context) override {
        return DirectPlayEnumerateA(callback, context);
    }
    dplay::HRESULT CreateLobby(dplay::IDirectPlayLobby** lobby) override {
        return DirectPlayLobbyCreateA(nullptr, lobby, nullptr, nullptr, 0);
    }
};

}  // namespace

IPeerPlayService& LoadedSessionService() {
    static LoadedService service;
    return service;
}

}  // namespace kordalt
