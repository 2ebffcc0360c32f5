// Where the session component gets its session service from: the entry points
// of the service library, or a stand-in of tests.
#pragma once

#include "platform/session/dplay.h"

namespace kordalt {

class IPeerPlayService {
public:
    virtual dplay::HRESULT Create(const dplay::GUID* provider, dplay::IDirectPlay** directPlay) = 0;
    virtual dplay::HRESULT EnumerateProviders(dplay::LPDPENUMDPCALLBACKA callback, void* context) = 0;
    virtual dplay::HRESULT CreateLobby(dplay::IDirectPlayLobby** lobby) = 0;

protected:
    ~IPeerPlayService() = default;
};

// The service library's entry points, looked up at the first call.
IPeerPlayService& LoadedSessionService();

}  // namespace kordalt
