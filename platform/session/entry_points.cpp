// The service library's entry points, looked up by name.
#include "platform/session/address.h"
#include "platform/session/dplay.h"
#include "platform/session/net_directplay.h"

using namespace kordalt::dplay;

extern "C" {

__attribute__((visibility("default"))) HRESULT DirectPlayCreate(const GUID* lpGUIDSP, IDirectPlay** lplpDP,
                                                                IUnknown* pUnk) {
    if (!lplpDP) return DPERR_INVALIDPARAMS;
    *lplpDP = nullptr;
    if (pUnk) return DPERR_INVALIDPARAMS;  // no aggregation
    if (lpGUIDSP && !IsNullGuid(*lpGUIDSP) && !(*lpGUIDSP == DPSPGUID_TCPIP)) return DPERR_UNSUPPORTED;
    *lplpDP = new NetDirectPlay(ServiceOptions::FromEnvironment(), lpGUIDSP);
    return DP_OK;
}

__attribute__((visibility("default"))) HRESULT DirectPlayEnumerateA(LPDPENUMDPCALLBACKA lpEnumDPCallback,
                                                                    void* lpContext) {
    if (!lpEnumDPCallback) return DPERR_INVALIDPARAMS;
    lpEnumDPCallback(&DPSPGUID_TCPIP, "TCP/IP", 4, 0, lpContext);
    return DP_OK;
}

__attribute__((visibility("default"))) HRESULT DirectPlayLobbyCreateA(const GUID* lpGUIDSP,
                                                                      IDirectPlayLobby** lplpDPL,
                                                                      IUnknown* lpUnk, void* lpData,
                                                                      uint32_t dwDataSize) {
    if (!lplpDPL) return DPERR_INVALIDPARAMS;
    *lplpDPL = nullptr;
    if (lpUnk || lpData || dwDataSize) return DPERR_INVALIDPARAMS;
    if (lpGUIDSP && !IsNullGuid(*lpGUIDSP)) return DPERR_INVALIDPARAMS;
    *lplpDPL = new Lobby;
    return DP_OK;
}

}  // extern "C"
