// Peer-to-peer session service: the interfaces, records, flags, system
// messages and result codes the session component works with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/guid.h"

namespace kordalt::dplay {

using HRESULT = int32_t;
using DPID = uint32_t;

using GUID = TGUID;
inline bool IsNullGuid(const GUID& g) { return g == GUID{}; }

// Result codes.
constexpr HRESULT MakeError(uint32_t code) { return static_cast<HRESULT>(code); }
constexpr HRESULT DP_OK = 0;
constexpr HRESULT DPERR_ACCESSDENIED = MakeError(0x8877000A);  // another node's player
constexpr HRESULT DPERR_BUFFERTOOSMALL = MakeError(0x8877001E);
constexpr HRESULT DPERR_USERCANCEL = MakeError(0x88770118);
constexpr HRESULT DPERR_CANCELLED = MakeError(0x887701A4);
constexpr HRESULT DPERR_ALREADYINITIALIZED = MakeError(0x88770201);
constexpr HRESULT DPERR_INVALIDPARAMS = MakeError(0x88770202);
constexpr HRESULT DPERR_INVALIDFLAGS = MakeError(0x88770203);
constexpr HRESULT DPERR_INVALIDPLAYER = MakeError(0x88770204);
constexpr HRESULT DPERR_NOCONNECTION = MakeError(0x88770205);  // no provider bound
constexpr HRESULT DPERR_NOSESSIONS = MakeError(0x88770206);    // no session open
constexpr HRESULT DPERR_NOMESSAGES = MakeError(0x88770207);
constexpr HRESULT DPERR_NONEWPLAYERS = MakeError(0x88770208);  // session full
constexpr HRESULT DPERR_CANTCREATEPLAYER = MakeError(0x88770209);
constexpr HRESULT DPERR_CONNECTIONLOST = MakeError(0x8877020A);
constexpr HRESULT DPERR_UNSUPPORTED = MakeError(0x8877020B);
constexpr HRESULT DPERR_NOINTERFACE = MakeError(0x8877020C);
constexpr HRESULT DPERR_NOTLOBBIED = MakeError(0x8877020D);
constexpr HRESULT DPERR_CANTCREATESESSION = MakeError(0x8877020E);  // address in use
constexpr HRESULT DPERR_TIMEOUT = MakeError(0x8877020F);

// Flags.
constexpr uint32_t DPSESSION_MIGRATEHOST = 0x4;
constexpr uint32_t DPSESSION_KEEPALIVE = 0x40;
constexpr uint32_t DPSESSION_DIRECTPLAYPROTOCOL = 0x2000;
constexpr uint32_t DPOPEN_JOIN = 1;
constexpr uint32_t DPOPEN_CREATE = 2;
constexpr uint32_t DPENUMSESSIONS_AVAILABLE = 1;
constexpr uint32_t DPESC_TIMEDOUT = 1;
constexpr uint32_t DPENUMPLAYERS_REMOTE = 0x10;
constexpr uint32_t DPSEND_GUARANTEED = 1;
constexpr uint32_t DPSEND_ASYNC = 0x200;
constexpr uint32_t DPRECEIVE_ALL = 1;
constexpr uint32_t DPCAPS_ASYNCSUPPORTED = 0x10000;
constexpr uint32_t DPPLAYERTYPE_PLAYER = 1;
constexpr DPID DPID_SYSMSG = 0;
constexpr DPID DPID_ALLPLAYERS = 0;

// System message types (the first word of a message from DPID_SYSMSG).
constexpr uint32_t DPSYS_CREATEPLAYERORGROUP = 3;
constexpr uint32_t DPSYS_DESTROYPLAYERORGROUP = 5;
constexpr uint32_t DPSYS_SESSIONLOST = 0x31;
constexpr uint32_t DPSYS_HOST = 0x101;
constexpr uint32_t DPSYS_SENDCOMPLETE = 0x10D;

// Well-known identifiers.
extern const GUID DPSPGUID_TCPIP;
extern const GUID DPSPGUID_MODEM;
extern const GUID DPAID_ServiceProvider;
extern const GUID DPAID_INet;      // host name or IPv4 text, zero-terminated
extern const GUID DPAID_INetPort;  // 16-bit port
extern const GUID DPAID_Modem;
extern const GUID DPAID_Phone;
extern const GUID IID_IUnknown;
extern const GUID IID_IDirectPlay;
extern const GUID IID_IDirectPlay4A;
extern const GUID IID_IDirectPlayLobby;
extern const GUID IID_IDirectPlayLobby2A;

// Records.
struct DPNAME {
    uint32_t dwSize;
    uint32_t dwFlags;
    const char* lpszShortNameA;
    const char* lpszLongNameA;
};

struct DPSESSIONDESC2 {
    uint32_t dwSize;  // sizeof(DPSESSIONDESC2)
    uint32_t dwFlags;
    GUID guidInstance;
    GUID guidApplication;
    uint32_t dwMaxPlayers;  // 0 = no limit
    uint32_t dwCurrentPlayers;
    const char* lpszSessionNameA;
    uint32_t dwReserved1;
    uint32_t dwReserved2;
    uint32_t dwUser1;
    uint32_t dwUser2;
    uint32_t dwUser3;
    uint32_t dwUser4;
};
static_assert(sizeof(DPSESSIONDESC2) == 80);

struct DPCAPS {
    uint32_t dwSize;  // sizeof(DPCAPS)
    uint32_t dwFlags;
    uint32_t dwMaxBufferSize;
    uint32_t dwMaxQueueSize;
    uint32_t dwMaxPlayers;
    uint32_t dwHundredBaud;
    uint32_t dwLatency;
    uint32_t dwMaxLocalPlayers;
    uint32_t dwHeaderLength;
    uint32_t dwTimeout;
};
static_assert(sizeof(DPCAPS) == 40);

struct DPCOMPOUNDADDRESSELEMENT {
    GUID guidDataType;
    uint32_t dwDataSize;
    const void* lpData;
};

// System messages as Receive writes them; name pointers point into the same buffer.
struct DPMSG_GENERIC {
    uint32_t dwType;
};
struct DPMSG_CREATEPLAYERORGROUP {
    uint32_t dwType;
    uint32_t dwPlayerType;
    DPID dpId;
    uint32_t dwCurrentPlayers;
    DPNAME dpnName;
};
struct DPMSG_DESTROYPLAYERORGROUP {
    uint32_t dwType;
    uint32_t dwPlayerType;
    DPID dpId;
    DPNAME dpnName;
};
using DPMSG_SESSIONLOST = DPMSG_GENERIC;
using DPMSG_HOST = DPMSG_GENERIC;
struct DPMSG_SENDCOMPLETE {  // never produced: sends are not asynchronous
    uint32_t dwType;
    DPID idFrom;
    DPID idTo;
    uint32_t dwFlags;
    uint32_t dwPriority;
    uint32_t dwTimeout;
    void* lpvContext;
    uint32_t dwMsgID;
    HRESULT hr;
    uint32_t dwSendTime;
};

// Callbacks; a true result continues the enumeration.
using LPDPENUMDPCALLBACKA = bool (*)(const GUID* lpguidSP, const char* lpSPName, uint32_t dwMajorVersion,
                                     uint32_t dwMinorVersion, void* lpContext);
using LPDPENUMSESSIONSCALLBACK2 = bool (*)(const DPSESSIONDESC2* lpThisSD, uint32_t* lpdwTimeOut,
                                           uint32_t dwFlags, void* lpContext);
using LPDPENUMPLAYERSCALLBACK2 = bool (*)(DPID dpId, uint32_t dwPlayerType, const DPNAME* lpName,
                                          uint32_t dwFlags, void* lpContext);
using LPDPENUMADDRESSCALLBACK = bool (*)(const GUID& guidDataType, uint32_t dwDataSize, const void* lpData,
                                         void* lpContext);

// The signalling object given with a local player: set (from the service's
// own thread) whenever a message for that player is queued.
class IDPSignal {
public:
    virtual void Set() = 0;

protected:
    ~IDPSignal() = default;
};

class IUnknown {
public:
    virtual HRESULT QueryInterface(const GUID& riid, void** ppvObj) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

class IDirectPlay : public IUnknown {};

class IDirectPlay4A : public IDirectPlay {
public:
    virtual HRESULT InitializeConnection(const void* lpConnection, uint32_t dwFlags) = 0;
    virtual HRESULT EnumSessions(DPSESSIONDESC2* lpsd, uint32_t dwTimeout,
                                 LPDPENUMSESSIONSCALLBACK2 lpCallback, void* lpContext, uint32_t dwFlags) = 0;
    virtual HRESULT Open(DPSESSIONDESC2* lpsd, uint32_t dwFlags) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT CreatePlayer(DPID* lpidPlayer, const DPNAME* lpPlayerName, IDPSignal* hEvent,
                                 const void* lpData, uint32_t dwDataSize, uint32_t dwFlags) = 0;
    virtual HRESULT DestroyPlayer(DPID idPlayer) = 0;
    virtual HRESULT EnumPlayers(const GUID* lpguidInstance, LPDPENUMPLAYERSCALLBACK2 lpCallback,
                                void* lpContext, uint32_t dwFlags) = 0;
    virtual HRESULT GetCaps(DPCAPS* lpDPCaps, uint32_t dwFlags) = 0;
    virtual HRESULT GetPlayerAddress(DPID idPlayer, void* lpData, uint32_t* lpdwDataSize) = 0;
    virtual HRESULT Send(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData,
                         uint32_t dwDataSize) = 0;
    virtual HRESULT SendEx(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData, uint32_t dwDataSize,
                           uint32_t dwPriority, uint32_t dwTimeout, void* lpContext, uint32_t* lpdwMsgID) = 0;
    virtual HRESULT Receive(DPID* lpidFrom, DPID* lpidTo, uint32_t dwFlags, void* lpData,
                            uint32_t* lpdwDataSize) = 0;
};

class IDirectPlayLobby : public IUnknown {};

class IDirectPlayLobby2A : public IDirectPlayLobby {
public:
    virtual HRESULT CreateCompoundAddress(const DPCOMPOUNDADDRESSELEMENT* lpElements, uint32_t dwElementCount,
                                          void* lpAddress, uint32_t* lpdwAddressSize) = 0;
    virtual HRESULT EnumAddress(LPDPENUMADDRESSCALLBACK lpEnumAddressCallback, const void* lpAddress,
                                uint32_t dwAddressSize, void* lpContext) = 0;
    // There is no lobby launch: always DPERR_NOTLOBBIED.
    virtual HRESULT GetConnectionSettings(uint32_t dwAppID, void* lpData, uint32_t* lpdwDataSize) = 0;
};

}  // namespace kordalt::dplay

// The three entry points, looked up by name in the service library.
extern "C" {
kordalt::dplay::HRESULT DirectPlayCreate(const kordalt::dplay::GUID* lpGUIDSP,
                                         kordalt::dplay::IDirectPlay** lplpDP,
                                         kordalt::dplay::IUnknown* pUnk);
kordalt::dplay::HRESULT DirectPlayEnumerateA(kordalt::dplay::LPDPENUMDPCALLBACKA lpEnumDPCallback,
                                             void* lpContext);
kordalt::dplay::HRESULT DirectPlayLobbyCreateA(const kordalt::dplay::GUID* lpGUIDSP,
                                               kordalt::dplay::IDirectPlayLobby** lplpDPL,
                                               kordalt::dplay::IUnknown* lpUnk, void* lpData,
                                               uint32_t dwDataSize);
}
