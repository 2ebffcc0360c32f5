// The session component: one peer-to-peer session of the platform's session
// service, its providers, sessions and players, and its message path.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/session/dplay.h"
#include "session/com_ptr.h"
#include "session/peer_event.h"
#include "session/peer_service.h"
#include "session/ui_thread.h"

namespace kordalt {

class TCustomPeerPlay;

// GUID from its brace text; raises EPeerPlayError (the platform's text) when malformed.
dplay::GUID ParseGuid(const std::string& text);
// The first 32-bit word (little-endian) of a message of at least 4 bytes.
uint32_t GetMessageType(const void* data);

class TPeerPlayPlayer {
public:
    uint32_t ID = 0;
    std::string Name;
    bool Remote = false;
};

class TPeerPlayPlayers {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TPeerPlayPlayer& GetItem(int index) const { return *items_.at(static_cast<size_t>(index)); }
    // Index of the first player with `id`, -1 when none.
    int IndexOf(uint32_t id) const;
    // Raises EPeerPlayError when no player has `id`.
    TPeerPlayPlayer& Find(uint32_t id) const;
    TPeerPlayPlayer& Add();
    void Delete(const TPeerPlayPlayer& player);
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TPeerPlayPlayer>> items_;
};

struct TPeerPlayModemSetting {
    bool Enabled = false;
    std::string PhoneNumber;
    std::string ModemName;
};

struct TPeerPlayTCPIPSetting {
    bool Enabled = false;
    std::string HostName;
    uint16_t Port = 0;
};

// Names (cp1251) with the GUID of each.
class TNamedGuids {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Name(int index) const { return items_.at(static_cast<size_t>(index)).first; }
    const dplay::GUID& Guid(int index) const { return items_.at(static_cast<size_t>(index)).second; }
    // Index of `name` compared ignoring case, -1 when absent.
    int IndexOf(const std::string& name) const;
    void Add(std::string name, const dplay::GUID& guid) { items_.emplace_back(std::move(name), guid); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::pair<std::string, dplay::GUID>> items_;
};

enum TPeerPlaySendCompleteResult { scrOk = 0, scrCancelled = 1, scrError = 2 };

// What the connection wizard hands back: the session object it made (one
// reference, may be null), and the names chosen.
struct TPeerPlayWizardResult {
    dplay::IDirectPlay4A* DPlay = nullptr;
    std::string PlayerName, ProviderName, SessionName;
};
// Shows the wizard modally for `peerPlay`; true when a session was created or joined.
using TPeerPlayWizard = std::function<bool(TCustomPeerPlay& peerPlay, TPeerPlayWizardResult& result)>;
// The connection wizard; without one, Open without a launch is cancelled.
void SetPeerPlayWizard(TPeerPlayWizard wizard);

class TPeerPlayRecvThread {
public:
    // Makes the owner's StopEvent; the thread starts with Start().
    explicit TPeerPlayRecvThread(TCustomPeerPlay& owner);
    // Signals StopEvent and waits for the thread to end.
    ~TPeerPlayRecvThread();
    TPeerPlayRecvThread(const TPeerPlayRecvThread&) = delete;
    TPeerPlayRecvThread& operator=(const TPeerPlayRecvThread&) = delete;

    void Start();

    TCustomPeerPlay& Owner;

private:
    void Execute();

    std::shared_ptr<TPeerEvent> recvEvent_;
    TPeerEvent stopEvent_;
    std::thread thread_;
};

class TCustomPeerPlay {
public:
    using TNotifyEvent = std::function<void(TCustomPeerPlay& sender)>;
    using TPeerPlayEvent = std::function<void(TCustomPeerPlay& sender, TPeerPlayPlayer& player)>;
    using TPeerPlayMessageEvent = std::function<void(TCustomPeerPlay& sender, TPeerPlayPlayer& from,
                                                     const void* data, int32_t dataSize)>;
    using TPeerPlaySendCompleteEvent = std::function<void(
        TCustomPeerPlay& sender, uint32_t messageId, TPeerPlaySendCompleteResult result, int32_t sendTime)>;

    // `ui` receives every wake-up of the receive thread.
    explicit TCustomPeerPlay(IUiThread& ui, IPeerPlayService& service = LoadedSessionService());
    virtual ~TCustomPeerPlay();
    TCustomPeerPlay(const TCustomPeerPlay&) = delete;
    TCustomPeerPlay& operator=(const TCustomPeerPlay&) = delete;

    // Opens with the command-line launch, else through the connection wizard;
    // raises EAbort when the user cancels.
    void Open();
    // Creates or joins `sessionName` on the provider set through SetProviderName.
    void OpenSession(bool newSession, const std::string& sessionName, const std::string& playerName);
    // Ends the session; safe at any time.
    void Close();
    // Sends at least 4 bytes to a player, or to all others with `toId` 0.
    void SendMessage(uint32_t toId, const void* data, int32_t dataSize);

    const std::string& GetGUID() const { return GUID_; }
    void SetGUID(const std::string& text);
    int MaxPlayers = 0;
    bool Async = false;
    TPeerPlayModemSetting ModemSetting;
    TPeerPlayTCPIPSetting TCPIPSetting;
    const std::string& ProviderName() const { return ProviderName_; }
    void SetProviderName(const std::string& value);
    const TNamedGuids& Providers();
    const TNamedGuids& Sessions();
    TPeerPlayPlayers& Players() { return Players_; }
    TPeerPlayPlayer* LocalPlayer() const { return LocalPlayer_; }
    bool IsHost() const { return IsHost_; }
    bool Opened() const { return Opened_; }
    const std::string& SessionName() const { return SessionName_; }
    bool AsyncSupported() const { return AsyncSupported_; }
    // The session object, null when not connected.
    dplay::IDirectPlay4A* DirectPlay() const { return DirectPlay_.Get(); }
    IPeerPlayService& Service() const { return service_; }

    TPeerPlayEvent OnAddPlayer, OnDeletePlayer;
    TNotifyEvent OnClose, OnOpen, OnSessionLost;
    TPeerPlayMessageEvent OnMessage;
    TPeerPlaySendCompleteEvent OnSendComplete;

    // Takes every message waiting for the own player (user-interface thread).
    void ReceiveMessages();

protected:
    virtual void DoAddPlayer(TPeerPlayPlayer& player);
    virtual void DoClose();
    virtual void DoDeletePlayer(TPeerPlayPlayer& player);
    virtual void DoMessage(TPeerPlayPlayer& from, const void* data, int32_t dataSize);
    virtual void DoOpen();
    virtual void DoSessionLost();
    virtual void DoSendComplete(uint32_t messageId, TPeerPlaySendCompleteResult result, int32_t sendTime);

private:
    friend class TPeerPlayRecvThread;

    void ConnectProvider(const std::string& providerName);
    ComPtr<dplay::IDirectPlay4A> ConnectAddress(const std::vector<dplay::DPCOMPOUNDADDRESSELEMENT>& elements);
    bool OpenFromLobby(std::string& playerName);
    bool OpenWithWizard(std::string& playerName);
    bool TryOpenSession(bool newSession, const std::string& sessionName, const std::string& playerName);
    dplay::HRESULT OpenDescribed(bool newSession, const std::string& sessionName, uint32_t flags);
    void BeginSession(const std::string& playerName);
    void UpdateCapabilities();
    void EnumSessions();
    void ClearSessions();
    void DispatchSystemMessage(const uint8_t* data, uint32_t size);
    void StopReceiveThread();

    IUiThread& ui_;
    IPeerPlayService& service_;
    ComPtr<dplay::IDirectPlay4A> DirectPlay_;
    std::string GUID_;
    bool IsHost_ = false;
    TPeerPlayPlayer* LocalPlayer_ = nullptr;
    TPeerPlayPlayers Players_;
    bool CalledDoOpen_ = false;
    bool Opened_ = false;
    std::shared_ptr<TPeerEvent> RecvEvent_;
    TPeerEvent* StopEvent_ = nullptr;
    std::unique_ptr<TPeerPlayRecvThread> RecvThread_;
    // Threads told to stop from inside ReceiveMessages, joined at the next chance.
    std::vector<std::unique_ptr<TPeerPlayRecvThread>> stoppedThreads_;
    bool InsideReceive_ = false;
    std::string ProviderName_;
    std::unique_ptr<TNamedGuids> Providers_;
    std::string SessionName_;
    TNamedGuids Sessions_;
    bool SessionsRead_ = false;
    bool AsyncSupported_ = false;
};

}  // namespace kordalt
