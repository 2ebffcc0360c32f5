#include "session/peer_play.h"

#include <algorithm>
#include <cstring>

#include "controls/classic.h"
#include "platform/ansi_text.h"
#include "platform/format.h"
#include "session/lobby_launch.h"
#include "session/peer_consts.h"
#include "session/peer_errors.h"

namespace kordalt {

using namespace dplay;

namespace {

TPeerPlayWizard& Wizard() {
    static TPeerPlayWizard wizard;
    return wizard;
}

constexpr size_t kMaxShortName = 1023;
constexpr uint32_t kSessionFlags = DPSESSION_MIGRATEHOST | DPSESSION_KEEPALIVE;
constexpr uint32_t kLobbySessionFlags = kSessionFlags | DPSESSION_DIRECTPLAYPROTOCOL;

[[noreturn]] void Raise(const char* format, std::initializer_list<FormatArg> args = {}) {
    throw EPeerPlayError(FormatText(format, args));
}

bool EnumProvidersCallback(const GUID* guid, const char* name, uint32_t, uint32_t, void* context) {
    static_cast<TNamedGuids*>(context)->Add(name ? name : "", guid ? *guid : GUID{});
    return true;
}

bool EnumSessionsCallback(const DPSESSIONDESC2* desc, uint32_t*, uint32_t flags, void* context) {
    if (flags & DPESC_TIMEDOUT) return false;
    static_cast<TNamedGuids*>(context)->Add(desc->lpszSessionNameA ? desc->lpszSessionNameA : "",
                                            desc->guidInstance);
    return true;
}

bool EnumPlayersCallback(DPID id, uint32_t, const DPNAME* name, uint32_t, void* context) {
    TPeerPlayPlayer& player = static_cast<TPeerPlayPlayers*>(context)->Add();
    player.ID = id;
    player.Remote = true;
    if (name && name->lpszShortNameA) player.Name = name->lpszShortNameA;
    return true;
}

// A system message as a record, when the message is long enough to hold one.
template <class Record>
bool ReadRecord(const uint8_t* data, uint32_t size, Record& out) {
    if (size < sizeof(Record)) return false;
    std::memcpy(&out, data, sizeof(Record));
    return true;
}

}  // namespace

GUID ParseGuid(const std::string& text) {
    GUID g{};
    if (!TryStrToGUID(text, g, GuidForm::kBraced)) throw EPeerPlayError(SystemErrorText(CO_E_CLASSSTRING));
    return g;
}

uint32_t GetMessageType(const void* data) {
    const auto* b = static_cast<const uint8_t*>(data);
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

void SetPeerPlayWizard(TPeerPlayWizard wizard) { Wizard() = std::move(wizard); }

// Players

int TPeerPlayPlayers::IndexOf(uint32_t id) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->ID == id) return static_cast<int>(i);
    return -1;
}

TPeerPlayPlayer& TPeerPlayPlayers::Find(uint32_t id) const {
    int i = IndexOf(id);
    if (i < 0) Raise(SPlayerNotFound);
    return GetItem(i);
}

TPeerPlayPlayer& TPeerPlayPlayers::Add() { return *items_.emplace_back(std::make_unique<TPeerPlayPlayer>()); }

void TPeerPlayPlayers::Delete(const TPeerPlayPlayer& player) {
    std::erase_if(items_, [&](const auto& p) { return p.get() == &player; });
}

int TNamedGuids::IndexOf(const std::string& name) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (AnsiSameText(items_[i].first, name)) return static_cast<int>(i);
    return -1;
}

// Receive thread

TPeerPlayRecvThread::TPeerPlayRecvThread(TCustomPeerPlay& owner)
    : Owner(owner), recvEvent_(owner.RecvEvent_) {
    Owner.StopEvent_ = &stopEvent_;
}

TPeerPlayRecvThread::~TPeerPlayRecvThread() {
    stopEvent_.Set();
    if (thread_.joinable()) thread_.join();
    if (Owner.StopEvent_ == &stopEvent_) Owner.StopEvent_ = nullptr;
}

void TPeerPlayRecvThread::Start() {
    thread_ = std::thread([this] { Execute(); });
}

void TPeerPlayRecvThread::Execute() {
    // The stop event comes first: once set, no further wake-up is handed over.
    while (WaitForAnyEvent({&stopEvent_, recvEvent_.get()}) == 1) {
        if (!Synchronize(
                Owner.ui_, [this] { Owner.ReceiveMessages(); }, stopEvent_))
            return;
    }
}

// Component

TCustomPeerPlay::TCustomPeerPlay(IUiThread& ui, IPeerPlayService& service)
    : ui_(ui), service_(service), GUID_(GUIDToStr(GUID{}, GuidForm::kBraced)) {}

TCustomPeerPlay::~TCustomPeerPlay() {
    try {
        Close();
    } catch (...) {
        // an OnClose handler's error has nowhere to go from here
    }
    stoppedThreads_.clear();
}

void TCustomPeerPlay::SetGUID(const std::string& text) {
    if (text == GUID_) return;
    GUID_ =
        text.empty() ? GUIDToStr(GUID{}, GuidForm::kBraced) : GUIDToStr(ParseGuid(text), GuidForm::kBraced);
}

void TCustomPeerPlay::SetProviderName(const std::string& value) {
    Close();
    ProviderName_ = value;
    if (value.empty()) return;
    DirectPlay_.Reset();
    try {
        ConnectProvider(value);
    } catch (...) {
        ProviderName_.clear();
        throw;
    }
}

const TNamedGuids& TCustomPeerPlay::Providers() {
    if (!Providers_) {
        auto list = std::make_unique<TNamedGuids>();
        service_.EnumerateProviders(EnumProvidersCallback, list.get());
        Providers_ = std::move(list);
    }
    return *Providers_;
}

const TNamedGuids& TCustomPeerPlay::Sessions() {
    if (!SessionsRead_) EnumSessions();
    return Sessions_;
}

void TCustomPeerPlay::EnumSessions() {
    if (!DirectPlay_) Raise(SNotConnected);
    ClearSessions();
    DPSESSIONDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.guidApplication = ParseGuid(GUID_);
    HRESULT hr =
        DirectPlay_->EnumSessions(&desc, 0, EnumSessionsCallback, &Sessions_, DPENUMSESSIONS_AVAILABLE);
    if (hr == DPERR_USERCANCEL) throw EAbort();
    if (hr != DP_OK) Raise(SSessionListFailed);
    SessionsRead_ = true;
}

void TCustomPeerPlay::ClearSessions() {
    Sessions_.Clear();
    SessionsRead_ = false;
}

void TCustomPeerPlay::ConnectProvider(const std::string& providerName) {
    int index = Providers().IndexOf(providerName);
    if (index < 0) Raise(SProviderNotFound, {providerName});
    const GUID provider = Providers_->Guid(index);
    std::vector<DPCOMPOUNDADDRESSELEMENT> elements = {{DPAID_ServiceProvider, sizeof(GUID), &provider}};
    auto text = [](const std::string& s) { return static_cast<uint32_t>(s.size() + 1); };
    if (provider == DPSPGUID_MODEM && ModemSetting.Enabled) {
        if (!ModemSetting.ModemName.empty())
            elements.push_back({DPAID_Modem, text(ModemSetting.ModemName), ModemSetting.ModemName.c_str()});
        if (!ModemSetting.PhoneNumber.empty())
            elements.push_back(
                {DPAID_Phone, text(ModemSetting.PhoneNumber), ModemSetting.PhoneNumber.c_str()});
    } else if (provider == DPSPGUID_TCPIP && TCPIPSetting.Enabled) {
        if (!TCPIPSetting.HostName.empty())
            elements.push_back({DPAID_INet, text(TCPIPSetting.HostName), TCPIPSetting.HostName.c_str()});
        if (TCPIPSetting.Port != 0) elements.push_back({DPAID_INetPort, 2, &TCPIPSetting.Port});
    }
    DirectPlay_ = ConnectAddress(elements);
}

ComPtr<IDirectPlay4A> TCustomPeerPlay::ConnectAddress(const std::vector<DPCOMPOUNDADDRESSELEMENT>& elements) {
    auto fail = [] { Raise(SCannotInitialize, {SDirectPlay}); };
    IDirectPlayLobby* rawLobby = nullptr;
    HRESULT hr = service_.CreateLobby(&rawLobby);
    ComPtr<IDirectPlayLobby> lobby(rawLobby);
    if (hr != DP_OK) fail();
    auto lobby2 = lobby.Query<IDirectPlayLobby2A>(IID_IDirectPlayLobby2A);
    if (!lobby2) fail();

    auto count = static_cast<uint32_t>(elements.size());
    uint32_t size = 0;
    if (lobby2->CreateCompoundAddress(elements.data(), count, nullptr, &size) != DPERR_BUFFERTOOSMALL) fail();
    std::vector<uint8_t> address(size, 0);
    if (lobby2->CreateCompoundAddress(elements.data(), count, address.data(), &size) != DP_OK) fail();

    IDirectPlay* rawObject = nullptr;
    hr = service_.Create(nullptr, &rawObject);
    ComPtr<IDirectPlay> object(rawObject);
    if (hr != DP_OK) fail();
    auto directPlay = object.Query<IDirectPlay4A>(IID_IDirectPlay4A);
    if (!directPlay || directPlay->InitializeConnection(address.data(), 0) != DP_OK) fail();
    return directPlay;
}

void TCustomPeerPlay::UpdateCapabilities() {
    AsyncSupported_ = false;
    if (!DirectPlay_) return;
    DPCAPS caps{};
    caps.dwSize = sizeof caps;
    DirectPlay_->GetCaps(&caps, 0);
    AsyncSupported_ = (caps.dwFlags & DPCAPS_ASYNCSUPPORTED) != 0;
}

bool TCustomPeerPlay::OpenFromLobby(std::string& playerName) {
    playerName.clear();
    const std::optional<TLobbyLaunch>& launch = LobbyLaunch();
    if (!launch) return false;
    std::vector<DPCOMPOUNDADDRESSELEMENT> elements = {{DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP}};
    if (!launch->host.empty())
        elements.push_back(
            {DPAID_INet, static_cast<uint32_t>(launch->host.size() + 1), launch->host.c_str()});
    if (launch->port != 0) elements.push_back({DPAID_INetPort, 2, &launch->port});
    try {
        DirectPlay_ = ConnectAddress(elements);
        if (OpenDescribed(launch->create, launch->sessionName, kLobbySessionFlags) != DP_OK) {
            DirectPlay_.Reset();
            return false;
        }
    } catch (const EPeerPlayError&) {
        DirectPlay_.Reset();
        return false;
    }
    UpdateCapabilities();
    SessionName_ = launch->sessionName;
    playerName = launch->playerName;
    return true;
}

bool TCustomPeerPlay::OpenWithWizard(std::string& playerName) {
    playerName.clear();
    TPeerPlayWizardResult result;
    bool accepted = Wizard() && Wizard()(*this, result);
    DirectPlay_ = ComPtr<IDirectPlay4A>(result.DPlay);
    UpdateCapabilities();
    playerName = result.PlayerName;
    ProviderName_ = result.ProviderName;
    SessionName_ = result.SessionName;
    return accepted;
}

void TCustomPeerPlay::Open() {
    Close();
    std::string playerName;
    if (!OpenFromLobby(playerName) && !OpenWithWizard(playerName)) throw EAbort();
    BeginSession(playerName);
}

void TCustomPeerPlay::OpenSession(bool newSession, const std::string& sessionName,
                                  const std::string& playerName) {
    if (!TryOpenSession(newSession, sessionName, playerName)) throw EAbort();
    BeginSession(playerName);
}

HRESULT TCustomPeerPlay::OpenDescribed(bool newSession, const std::string& sessionName, uint32_t flags) {
    DPSESSIONDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.guidApplication = ParseGuid(GUID_);
    if (newSession) {
        desc.dwFlags = flags;
        desc.lpszSessionNameA = sessionName.c_str();
        desc.dwMaxPlayers = static_cast<uint32_t>(std::max(MaxPlayers, 0));
        return DirectPlay_->Open(&desc, DPOPEN_CREATE);
    }
    int index = Sessions().IndexOf(sessionName);
    if (index < 0) Raise(SSessionNotFound, {sessionName});
    desc.guidInstance = Sessions_.Guid(index);
    return DirectPlay_->Open(&desc, DPOPEN_JOIN);
}

bool TCustomPeerPlay::TryOpenSession(bool newSession, const std::string& sessionName,
                                     const std::string& playerName) {
    if (!DirectPlay_) Raise(SNotConnected);
    if (sessionName.empty()) Raise(SNoSessionName);
    if (playerName.empty()) Raise(SNoPlayerName);
    HRESULT hr = OpenDescribed(newSession, sessionName, kSessionFlags);
    if (hr == DPERR_USERCANCEL) return false;
    if (hr != DP_OK) Raise(SSessionCannotOpen, {sessionName});
    SessionName_ = sessionName;
    return true;
}

void TCustomPeerPlay::BeginSession(const std::string& playerName) {
    try {
        if (Opened_) Close();
        Opened_ = true;
        std::string shortName = playerName.substr(0, kMaxShortName);
        DPNAME name{sizeof(DPNAME), 0, shortName.c_str(), nullptr};
        RecvEvent_ = std::make_shared<TPeerEvent>();
        LocalPlayer_ = &Players_.Add();
        LocalPlayer_->Name = playerName;
        if (!DirectPlay_ ||
            DirectPlay_->CreatePlayer(&LocalPlayer_->ID, &name, RecvEvent_.get(), nullptr, 0, 0) != DP_OK)
            Raise(SCannotOpen, {SessionName_});
        DirectPlay_->EnumPlayers(nullptr, EnumPlayersCallback, &Players_, DPENUMPLAYERS_REMOTE);
        IsHost_ = Players_.Count() == 1;
        CalledDoOpen_ = true;
        DoOpen();
        DoAddPlayer(*LocalPlayer_);
        RecvThread_ = std::make_unique<TPeerPlayRecvThread>(*this);
        RecvThread_->Start();
    } catch (...) {
        auto error = std::current_exception();
        Close();
        std::rethrow_exception(error);
    }
}

void TCustomPeerPlay::Close() {
    Opened_ = false;
    SessionsRead_ = false;
    std::exception_ptr handlerError;
    if (CalledDoOpen_) {
        CalledDoOpen_ = false;
        try {
            DoClose();
        } catch (...) {
            handlerError = std::current_exception();
        }
    }
    if (DirectPlay_) {
        if (LocalPlayer_) DirectPlay_->DestroyPlayer(LocalPlayer_->ID);
        DirectPlay_->Close();
    }
    ProviderName_.clear();
    SessionName_.clear();
    AsyncSupported_ = false;
    ClearSessions();
    DirectPlay_.Reset();
    UpdateCapabilities();
    StopReceiveThread();
    RecvEvent_.reset();
    Players_.Clear();
    LocalPlayer_ = nullptr;
    if (handlerError) std::rethrow_exception(handlerError);
}

void TCustomPeerPlay::StopReceiveThread() {
    if (InsideReceive_) {
        // The thread waits for this very run of ReceiveMessages: it ends by itself.
        if (RecvThread_) {
            StopEvent_->Set();
            stoppedThreads_.push_back(std::move(RecvThread_));
        }
        StopEvent_ = nullptr;
        return;
    }
    RecvThread_.reset();
    stoppedThreads_.clear();
}

void TCustomPeerPlay::SendMessage(uint32_t toId, const void* data, int32_t dataSize) {
    if (!Opened_) return;
    if (dataSize < 4) Raise(SIllegalMessage);
    if (!LocalPlayer_ || !DirectPlay_) return;
    if (toId == LocalPlayer_->ID) {
        DoMessage(*LocalPlayer_, data, dataSize);
        return;
    }
    auto size = static_cast<uint32_t>(dataSize);
    if (Async && AsyncSupported_)
        DirectPlay_->SendEx(LocalPlayer_->ID, toId, DPSEND_GUARANTEED | DPSEND_ASYNC, data, size, 0, 0,
                            nullptr, nullptr);
    else
        DirectPlay_->Send(LocalPlayer_->ID, toId, DPSEND_GUARANTEED, data, size);
}

void TCustomPeerPlay::ReceiveMessages() {
    InsideReceive_ = true;
    std::vector<uint8_t> buffer;
    try {
        // A handler may close the session: then nothing more is taken.
        while (DirectPlay_) {
            DPID from = 0, to = 0;
            auto size = static_cast<uint32_t>(buffer.size());
            HRESULT hr = DirectPlay_->Receive(&from, &to, DPRECEIVE_ALL, buffer.data(), &size);
            if (hr == DPERR_BUFFERTOOSMALL) {
                buffer.resize(size);
                hr = DirectPlay_->Receive(&from, &to, DPRECEIVE_ALL, buffer.data(), &size);
            }
            if (hr != DP_OK) break;
            if (size < 4) continue;
            if (from != DPID_SYSMSG)
                DoMessage(Players_.Find(from), buffer.data(), static_cast<int32_t>(size));
            else
                DispatchSystemMessage(buffer.data(), size);
        }
    } catch (...) {
        ui_.ShowException(std::current_exception());
    }
    InsideReceive_ = false;
}

void TCustomPeerPlay::DispatchSystemMessage(const uint8_t* data, uint32_t size) {
    const DPID self = LocalPlayer_ ? LocalPlayer_->ID : 0;
    switch (GetMessageType(data)) {
        case DPSYS_CREATEPLAYERORGROUP: {
            DPMSG_CREATEPLAYERORGROUP m;
            if (!ReadRecord(data, size, m) || m.dpId == self) return;
            TPeerPlayPlayer& player = Players_.Add();
            player.ID = m.dpId;
            player.Remote = true;
            if (m.dpnName.lpszShortNameA) player.Name = m.dpnName.lpszShortNameA;
            DoAddPlayer(player);
            return;
        }
        case DPSYS_DESTROYPLAYERORGROUP: {
            DPMSG_DESTROYPLAYERORGROUP m;
            if (!ReadRecord(data, size, m) || m.dpId == self) return;
            int index = Players_.IndexOf(m.dpId);
            if (index < 0) return;
            TPeerPlayPlayer& player = Players_.GetItem(index);
            DoDeletePlayer(player);
            Players_.Delete(player);
            return;
        }
        case DPSYS_SESSIONLOST:
            DoSessionLost();
            Close();
            return;
        case DPSYS_HOST:
            IsHost_ = true;
            return;
        case DPSYS_SENDCOMPLETE: {
            DPMSG_SENDCOMPLETE m;
            if (!ReadRecord(data, size, m) || m.idFrom != self) return;
            TPeerPlaySendCompleteResult result = m.hr == DP_OK             ? scrOk
                                                 : m.hr == DPERR_CANCELLED ? scrCancelled
                                                                           : scrError;
            DoSendComplete(m.dwMsgID, result, static_cast<int32_t>(m.dwSendTime));
            return;
        }
        default:
            return;
    }
}

// Events

void TCustomPeerPlay::DoAddPlayer(TPeerPlayPlayer& player) {
    if (OnAddPlayer) OnAddPlayer(*this, player);
}
void TCustomPeerPlay::DoClose() {
    if (OnClose) OnClose(*this);
}
void TCustomPeerPlay::DoDeletePlayer(TPeerPlayPlayer& player) {
    if (OnDeletePlayer) OnDeletePlayer(*this, player);
}
void TCustomPeerPlay::DoMessage(TPeerPlayPlayer& from, const void* data, int32_t dataSize) {
    if (OnMessage) OnMessage(*this, from, data, dataSize);
}
void TCustomPeerPlay::DoOpen() {
    if (OnOpen) OnOpen(*this);
}
void TCustomPeerPlay::DoSessionLost() {
    if (OnSessionLost) OnSessionLost(*this);
}
void TCustomPeerPlay::DoSendComplete(uint32_t messageId, TPeerPlaySendCompleteResult result,
                                     int32_t sendTime) {
    if (OnSendComplete) OnSendComplete(*this, messageId, result, sendTime);
}

}  // namespace kordalt
