#include "multiplayer/net_messages.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <utility>

#include "game/squares.h"
#include "game/state_commit.h"
#include "game/validate.h"
#include "multiplayer/net_codes.h"
#include "platform/record_body.h"

namespace kordalt {
namespace {

constexpr int kKordaltsPerState = 10;
constexpr size_t kChronicleFirstHalf = 199;
// The turn-report records end with one unused record.
constexpr size_t kUnusedRecord = sizeof(TMessageRec);

// ---- the messages' fields in order ----

struct TChronicleHalves {
    ShortString<255> first, second;
};

using TStateKordalts = std::array<TKordaltRec, kKordaltsPerState>;

struct TValueWire {
    uint32_t code = 0;
    uint8_t value = 0;

    template <class V, class Self>
    static void Describe(V& v, Self& m) {
        v.Field(m.code);
        v.Field(m.value);
        v.Pad(3);
    }
};

struct TChatWire {
    uint32_t code = dx_Connect_Msg;
    uint32_t colour = 0;
    uint16_t length = 0;
    std::string text;

    template <class V, class Self>
    static void Describe(V& v, Self& m) {
        v.Field(m.code);
        v.Field(m.colour);
        v.Field(m.length);
        v.Sequence(m.text, m.length);
        v.Tail(2);
    }
};

struct TMapWire {
    uint32_t code = 0;
    uint8_t gosCount = 0, mapSize = 0;
    TOwnerGrid grid{};

    template <class V, class Self>
    static void Describe(V& v, Self& m) {
        v.Field(m.code);
        v.Field(m.gosCount);
        v.Field(m.mapSize);
        v.Field(m.grid);
        v.Pad(2);
    }
};

struct TWaitingInfoWire {
    uint32_t code = dx_Game_SendInfoForWaiting;
    std::string text;

    template <class V, class Self>
    static void Describe(V& v, Self& m) {
        v.Field(m.code);
        v.CString(m.text);
    }
};

// The tables and counters travel in `state` itself.
struct TFullWire {
    explicit TFullWire(GameState& s) : state(s) {}

    GameState& state;
    uint32_t code = dx_Game_SendFull;
    TOwnerGrid grid{};
    TChronicleHalves chronicle{};
    uint8_t turnMinutes = 0;
    uint32_t serverId = 0;
    uint16_t count = 0;
    std::vector<TMessageRec> records;

    template <class V, class Self>
    static void Describe(V& v, Self& m) {
        GameState& s = m.state;
        v.Field(m.code);
        v.Field(s.YearStats);
        v.Field(s.mKordalt);
        v.Field(s.GameGuid);
        v.Field(s.GameOnInternet);
        v.Pad(2);
        v.Field(s.mGos);
        v.Field(m.grid);
        v.Field(s.ResearchCostStep);
        v.Field(s.Year);
        v.Field(s.GosCount);
        v.Field(s.AliveGosCount);
        v.Field(s.MapSize);
        v.Field(m.chronicle);
        v.Field(m.turnMinutes);
        v.Pad(3);
        v.Field(m.serverId);
        v.Field(m.count);
        v.Pad(2);
        v.Sequence(m.records, m.count);
        v.Tail(kUnusedRecord);
    }
};

// What a year result tells of every state.
struct TSummary {
    uint8_t alive = 0;
    int32_t peasants = 0, scientists = 0, soldiers = 0;

    template <class V, class Self>
    static void Describe(V& v, Self& m) {
        v.Field(m.alive);
        v.Pad(3);
        v.Field(m.peasants);
        v.Field(m.scientists);
        v.Field(m.soldiers);
    }
};

struct THalfWire {
    uint32_t code = dx_Game_SendHalf;
    OneBased<TYearStatRec, MaxGos> yearStats{};  // of the year before
    TStateKordalts kordalts{};
    TOwnerGrid grid{};
    OneBased<TSummary, MaxGos> summaries{};
    TGosRec gos{};
    uint8_t year = 0;
    TChronicleHalves chronicle{};
    uint16_t count = 0;
    std::vector<TMessageRec> records;

    template <class V, class Self>
    static void Describe(V& v, Self& m) {
        v.Field(m.code);
        v.Field(m.yearStats);
        v.Field(m.kordalts);
        v.Field(m.grid);
        v.Pad(2);
        for (auto& summary : m.summaries.Items) TSummary::Describe(v, summary);
        v.Pad(4);
        v.Field(m.gos);
        v.Field(m.year);
        v.Field(m.chronicle);
        v.Pad(1);
        v.Field(m.count);
        v.Sequence(m.records, m.count);
        v.Tail(kUnusedRecord + 4);
    }
};

struct TClientWire {
    uint32_t code = dx_Game_SendClientInf;
    uint8_t state = 0;
    TStateKordalts kordalts{};
    TGosRec gos{};

    template <class V, class Self>
    static void Describe(V& v, Self& m) {
        v.Field(m.code);
        v.Field(m.state);
        v.Field(m.kordalts);
        v.Pad(1);
        v.Field(m.gos);
    }
};

// ---- writing, reading and sizes from the descriptions ----

template <class Wire>
TNetMessage Write(const Wire& wire) {
    BodyWriter w;
    Wire::Describe(w, wire);
    const std::string& bytes = w.Bytes();
    return TNetMessage(bytes.begin(), bytes.end());
}

template <class Wire>
size_t SizeOf(const Wire& wire) {
    BodySizer s;
    Wire::Describe(s, wire);
    return s.Size();
}

// Reads `m` into `wire`; refused when it is short or damaged.
template <class Wire>
TChecked<> Read(const TNetMessage& m, Wire& wire, const char* what) {
    try {
        BodyReader r(std::string_view(reinterpret_cast<const char*>(m.data()), m.size()));
        Wire::Describe(r, wire);
        return {};
    } catch (const EBodyError& e) {
        return TRefused{std::string(what) + " of " + std::to_string(m.size()) + " bytes: " + e.what()};
    }
}

// Reads `m` into `wire` when it carries the code `wire` starts with.
template <class Wire>
TChecked<> ReadCode(const TNetMessage& m, Wire& wire, const char* what) {
    const uint32_t code = wire.code;
    if (auto read = Read(m, wire, what); !read) return read;
    if (wire.code == code) return {};
    return TRefused{std::string(what) + " with code " + std::to_string(wire.code)};
}

TKordaltRec& StateKordalt(GameState& s, int slot, int gos) { return s.mKordalt[(slot - 1) * MaxGos + gos]; }

TStateKordalts GetStateKordalts(GameState& s, int gos) {
    TStateKordalts kordalts{};
    for (int slot = 1; slot <= kKordaltsPerState; ++slot) kordalts[slot - 1] = StateKordalt(s, slot, gos);
    return kordalts;
}

void SetStateKordalts(GameState& s, int gos, const TStateKordalts& kordalts) {
    for (int slot = 1; slot <= kKordaltsPerState; ++slot) StateKordalt(s, slot, gos) = kordalts[slot - 1];
}

TOwnerGrid CurrentGrid() {
    TOwnerGrid grid{};
    if (Map) MapToGrid(*Map, Game.MapSize, grid);
    return grid;
}

TChronicleHalves CurrentChronicle() {
    TChronicleHalves halves{};
    SplitChronicle(Game.BattleChronicle, halves.first, halves.second);
    return halves;
}

std::string JoinChronicle(const TChronicleHalves& halves) {
    return JoinChronicle(halves.first, halves.second);
}

// The turn report's records that `wanted` picks, as many as a count holds.
std::vector<TMessageRec> Records(const std::function<bool(const TMessageRec&)>& wanted) {
    std::vector<TMessageRec> records;
    for (int i = 0; i < Messages.Count() && records.size() < kMaxMessageRecords; ++i)
        if (wanted(*Messages[i])) records.push_back(*Messages[i]);
    return records;
}

// Refuses records that name a state outside the game.
TChecked<> CheckRecords(const GameState& s, const std::vector<TMessageRec>& messages) {
    for (const TMessageRec& r : messages)
        if (r.Gos > s.GosCount) return TRefused{"message of state " + std::to_string(r.Gos)};
    return {};
}

// The year result of `wire` over a copy of `Game`, for the own state `own`.
void ApplyHalf(THalfWire& wire, int own, THalfInf& h) {
    GameState& s = h.state;
    s = Game;
    s.Year = wire.year;
    s.mGos[own] = wire.gos;
    for (int j = 1; j <= s.GosCount; ++j) {
        s.YearStats[j][wire.year - 1] = wire.yearStats[j];
        const TSummary& summary = wire.summaries[j];
        TGosRec& g = s.mGos[j];
        g.Alive = summary.alive;
        g.Peasants = summary.peasants;
        g.Scientists = summary.scientists;
        g.Soldiers = summary.soldiers;
    }
    s.BattleChronicle = JoinChronicle(wire.chronicle);
    SetStateKordalts(s, own, wire.kordalts);
    h.grid = wire.grid;
    h.messages = std::move(wire.records);
}

size_t FullInfSize() {
    auto empty = std::make_unique<GameState>();
    return SizeOf(TFullWire{*empty});
}

}  // namespace

const size_t kValueMessageSize = SizeOf(TValueWire{});
const size_t kMapMessageSize = SizeOf(TMapWire{});
const size_t kFullInfSize = FullInfSize();
const size_t kHalfInfSize = SizeOf(THalfWire{});
const size_t kClientInfSize = SizeOf(TClientWire{});

size_t ChatMessageSize(size_t textLength) { return SizeOf(TChatWire{}) + textLength; }

size_t InfoForWaitingSize(size_t textLength) { return SizeOf(TWaitingInfoWire{}) + textLength; }

TNetMessage MakeValueMessage(uint32_t code, uint8_t value) { return Write(TValueWire{code, value}); }

TChecked<uint8_t> ReadValueMessage(const TNetMessage& m) {
    TValueWire wire;
    if (auto read = Read(m, wire, "value message"); !read) return read.Refusal();
    return wire.value;
}

TNetMessage MakeChatMessage(std::string_view text, uint32_t colour) {
    TChatWire wire;
    wire.colour = colour;
    wire.text = text.substr(0, kChatLineLength);
    wire.length = static_cast<uint16_t>(wire.text.size());
    return Write(wire);
}

TChecked<TChatLine> ReadChatMessage(const TNetMessage& m) {
    TChatWire wire;
    if (auto read = ReadCode(m, wire, "chat line"); !read) return read.Refusal();
    return TChatLine{std::move(wire.text), wire.colour};
}

TNetMessage MakeMapMessage(uint32_t code, uint8_t gosCount, uint8_t mapSize, const TOwnerGrid& grid) {
    return Write(TMapWire{code, gosCount, mapSize, grid});
}

TChecked<TMapMessage> ReadMapMessage(const TNetMessage& m) {
    TMapWire wire;
    if (auto read = Read(m, wire, "map message"); !read) return read.Refusal();
    if (auto grid = CheckOwnerGrid(wire.grid, wire.mapSize, wire.gosCount); !grid) return grid.Refusal();
    return TMapMessage{wire.gosCount, wire.mapSize, wire.grid};
}

TNetMessage MakeInfoForWaiting(std::string_view text) {
    return Write(TWaitingInfoWire{dx_Game_SendInfoForWaiting, std::string(text)});
}

TChecked<std::string> ReadInfoForWaiting(const TNetMessage& m) {
    TWaitingInfoWire wire;
    if (auto read = ReadCode(m, wire, "waiting text"); !read) return read.Refusal();
    return std::move(wire.text);
}

void SplitChronicle(const std::string& chronicle, ShortString<255>& first, ShortString<255>& second) {
    const std::string_view text(chronicle);
    first.Assign(text.substr(0, kChronicleFirstHalf));
    second.Assign(text.substr(std::min(text.size(), kChronicleFirstHalf), 255));
}

std::string JoinChronicle(const ShortString<255>& first, const ShortString<255>& second) {
    return first.Str().substr(0, kChronicleFirstHalf) + second.Str();
}

TNetMessage MakeFullInf(uint32_t serverId, uint8_t turnMinutes) {
    TFullWire wire{Game};
    wire.grid = CurrentGrid();
    wire.chronicle = CurrentChronicle();
    wire.turnMinutes = turnMinutes;
    wire.serverId = serverId;
    wire.records = Records([](const TMessageRec&) { return true; });
    wire.count = static_cast<uint16_t>(wire.records.size());
    return Write(wire);
}

TChecked<TFullInf> ReadFullInf(const TNetMessage& m) {
    TFullInf f;
    f.state = Game;
    TFullWire wire{f.state};
    if (auto read = ReadCode(m, wire, "full snapshot"); !read) return read.Refusal();
    f.state.BattleChronicle = JoinChronicle(wire.chronicle);
    f.grid = wire.grid;
    f.messages = std::move(wire.records);
    f.turnMinutes = wire.turnMinutes;
    f.serverId = wire.serverId;
    if (auto valid = ValidateGame(f.state, f.grid, TYearLimit::GameOver); !valid) return valid.Refusal();
    if (auto records = CheckRecords(f.state, f.messages); !records) return records.Refusal();
    return f;
}

void NameFullInfServer(TNetMessage& m, uint32_t serverId) {
    auto state = std::make_unique<GameState>();
    TFullWire wire{*state};
    if (!ReadCode(m, wire, "full snapshot")) return;
    wire.serverId = serverId;
    m = Write(wire);
}

void CommitFullInf(TFullInf& full, bool snapshot) {
    CommitGame(std::move(full.state), full.grid, full.messages, snapshot);
}

TNetMessage MakeHalfInf(uint8_t recipient) {
    auto wire = std::make_unique<THalfWire>();
    for (int j = 1; j <= Game.GosCount; ++j) {
        if (Game.Year >= 2) wire->yearStats[j] = Game.YearStats[j][Game.Year - 1];
        const TGosRec& g = Game.mGos[j];
        wire->summaries[j] = {g.Alive, g.Peasants, g.Scientists, g.Soldiers};
    }
    wire->kordalts = GetStateKordalts(Game, recipient);
    wire->grid = CurrentGrid();
    wire->gos = Game.mGos[recipient];
    wire->year = Game.Year;
    wire->chronicle = CurrentChronicle();
    wire->records = Records([recipient](const TMessageRec& r) { return r.Gos == recipient; });
    wire->count = static_cast<uint16_t>(wire->records.size());
    return Write(*wire);
}

TChecked<THalfInf> ReadHalfInf(const TNetMessage& m) {
    auto wire = std::make_unique<THalfWire>();
    if (auto read = ReadCode(m, *wire, "year result"); !read) return read.Refusal();
    const int own = Game.CurrentGos;
    if (own < 1 || own > Game.GosCount) return TRefused{"no own state to take a year result"};
    if (wire->year < 2 || wire->year > YearCount)
        return TRefused{"year result for year " + std::to_string(wire->year)};
    THalfInf h;
    ApplyHalf(*wire, own, h);
    // The other states come as summaries: only the own record is whole.
    if (auto valid = ValidateStateRecord(h.state, own, TYearLimit::GameOver); !valid) return valid.Refusal();
    if (auto grid = CheckOwnerGrid(h.grid, h.state.MapSize, h.state.GosCount); !grid) return grid.Refusal();
    if (auto records = CheckRecords(h.state, h.messages); !records) return records.Refusal();
    return h;
}

void CommitHalfInf(THalfInf& half) { CommitGame(std::move(half.state), half.grid, half.messages, false); }

TNetMessage MakeClientInf() {
    TClientWire wire;
    wire.state = Game.CurrentGos;
    if (wire.state >= 1 && wire.state <= MaxGos) {
        wire.kordalts = GetStateKordalts(Game, wire.state);
        wire.gos = Game.mGos[wire.state];
    }
    return Write(wire);
}

TChecked<> ApplyClientInf(const TNetMessage& m, uint32_t senderId) {
    TClientWire wire;
    if (auto read = ReadCode(m, wire, "client state"); !read) return read;
    const int g = wire.state;
    if (g < 1 || g > Game.GosCount) return TRefused{"client state " + std::to_string(g)};
    if (Game.mGos[g].Player != senderId)
        return TRefused{"client state " + std::to_string(g) + " of another player"};
    auto s = std::make_unique<GameState>(Game);
    TGosRec& gos = s->mGos[g];
    gos = wire.gos;
    // Who plays the state is the server's to say.
    gos.Player = Game.mGos[g].Player;
    gos.PlayerName = Game.mGos[g].PlayerName;
    gos.StartPlayerName = Game.mGos[g].StartPlayerName;
    SetStateKordalts(*s, g, wire.kordalts);
    if (auto valid = ValidateStateRecord(*s, g); !valid) return valid;
    CommitTables(std::move(*s));
    return {};
}

}  // namespace kordalt
