// The session service over TCP and UDP: a star through the session host.
#pragma once

#include <memory>

#include "platform/session/com_object.h"
#include "platform/session/dplay.h"
#include "platform/session/service_options.h"

namespace kordalt::dplay {

class NetSession;

class NetDirectPlay final : public ComObject<IDirectPlay4A> {
public:
    // `provider` null or all-zero: the object waits for InitializeConnection.
    NetDirectPlay(const ServiceOptions& options, const GUID* provider);

    HRESULT InitializeConnection(const void* lpConnection, uint32_t dwFlags) override;
    HRESULT EnumSessions(DPSESSIONDESC2* lpsd, uint32_t dwTimeout, LPDPENUMSESSIONSCALLBACK2 lpCallback,
                         void* lpContext, uint32_t dwFlags) override;
    HRESULT Open(DPSESSIONDESC2* lpsd, uint32_t dwFlags) override;
    HRESULT Close() override;
    HRESULT CreatePlayer(DPID* lpidPlayer, const DPNAME* lpPlayerName, IDPSignal* hEvent, const void* lpData,
                         uint32_t dwDataSize, uint32_t dwFlags) override;
    HRESULT DestroyPlayer(DPID idPlayer) override;
    HRESULT EnumPlayers(const GUID* lpguidInstance, LPDPENUMPLAYERSCALLBACK2 lpCallback, void* lpContext,
                        uint32_t dwFlags) override;
    HRESULT GetCaps(DPCAPS* lpDPCaps, uint32_t dwFlags) override;
    HRESULT GetPlayerAddress(DPID idPlayer, void* lpData, uint32_t* lpdwDataSize) override;
    HRESULT Send(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData, uint32_t dwDataSize) override;
    HRESULT SendEx(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData, uint32_t dwDataSize,
                   uint32_t dwPriority, uint32_t dwTimeout, void* lpContext, uint32_t* lpdwMsgID) override;
    HRESULT Receive(DPID* lpidFrom, DPID* lpidTo, uint32_t dwFlags, void* lpData,
                    uint32_t* lpdwDataSize) override;

    // Drops every link at once with no farewell, as a killed process would.
    void Abort();

protected:
    ~NetDirectPlay() override;
    std::span<const GUID* const> Ids() const override {
        static const GUID* const ids[] = {&IID_IUnknown, &IID_IDirectPlay, &IID_IDirectPlay4A};
        return ids;
    }

private:
    std::unique_ptr<NetSession> session_;
};

}  // namespace kordalt::dplay
