#include "multiplayer/net_messages.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "game/squares.h"
#include "game/validate.h"
#include "multiplayer/net_codes.h"

namespace kordalt {
namespace {

constexpr int kKordaltsPerState = 10;
constexpr size_t kChronicleFirstHalf = 199;
constexpr size_t kMaxRecords = 65535;

// FullInf offsets.
namespace full {
constexpr size_t YearStats = 4, Kordalts = 57604, Guid = 62629, OnInternet = 62645, Gos = 62648, Grid = 80248,
                 CostStep = 90652, Year = 90656, GosCount = 90657, AliveGosCount = 90658, MapSize = 90659,
                 Chronicle1 = 90660, Chronicle2 = 90916, TurnMinutes = 91172, ServerId = 91176, Count = 91180,
                 Records = 91184;
}
// HalfInf offsets.
namespace half {
constexpr size_t YearStats = 4, Kordalts = 484, Grid = 734, Summaries = 11140, Gos = 11464, Year = 12344,
                 Chronicle1 = 12345, Chronicle2 = 12601, Count = 12858, Records = 12860;
}
// ClientInf offsets.
namespace client {
constexpr size_t State = 4, Kordalts = 5, Gos = 256;
}

template <class T>
void Put(TNetMessage& m, size_t offset, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(m.data() + offset, &value, sizeof value);
}

// The caller has checked that the message holds the field.
template <class T>
T Get(const TNetMessage& m, size_t offset) {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, m.data() + offset, sizeof value);
    return value;
}

bool HasCode(const TNetMessage& m, uint32_t code, size_t minSize) {
    return m.size() >= minSize && Get<uint32_t>(m, 0) == code;
}

TKordaltRec& StateKordalt(GameState& s, int slot, int gos) { return s.mKordalt[(slot - 1) * MaxGos + gos]; }

void PutStateKordalts(TNetMessage& m, size_t offset, int gos) {
    for (int slot = 1; slot <= kKordaltsPerState; ++slot)
        Put(m, offset + 25 * static_cast<size_t>(slot - 1), StateKordalt(Game, slot, gos));
}

void GetStateKordalts(const TNetMessage& m, size_t offset, GameState& s, int gos) {
    for (int slot = 1; slot <= kKordaltsPerState; ++slot)
        StateKordalt(s, slot, gos) = Get<TKordaltRec>(m, offset + 25 * static_cast<size_t>(slot - 1));
}

void PutGrid(TNetMessage& m, size_t offset) {
    TOwnerGrid grid{};
    if (Map) MapToGrid(*Map, Game.MapSize, grid);
    Put(m, offset, grid);
}

void PutChronicle(TNetMessage& m, size_t first, size_t second) {
    ShortString<255> a{}, b{};
    SplitChronicle(Game.BattleChronicle, a, b);
    Put(m, first, a);
    Put(m, second, b);
}

// `count` records at `offset`, when the message holds them all.
bool GetRecords(const TNetMessage& m, size_t offset, size_t count, std::vector<TMessageRec>& out) {
    if (m.size() < offset + count * kMessageRecSize) return false;
    out.resize(count);
    for (size_t i = 0; i < count; ++i) out[i] = Get<TMessageRec>(m, offset + i * kMessageRecSize);
    return true;
}

void PutRecords(TNetMessage& m, size_t offset, const std::vector<const TMessageRec*>& records) {
    for (size_t i = 0; i < records.size(); ++i) Put(m, offset + i * kMessageRecSize, *records[i]);
}

// Why the records cannot be committed; empty when they can.
std::string CheckRecords(const GameState& s, const std::vector<TMessageRec>& messages) {
    for (const TMessageRec& r : messages)
        if (r.Gos > s.GosCount) return "message of state " + std::to_string(r.Gos);
    return {};
}

void CommitMessages(const std::vector<TMessageRec>& records) {
    Messages.Clear();
    for (const TMessageRec& r : records) Messages.Add(r);
}

}  // namespace

void CommitMap(const TOwnerGrid& grid, int size, int regions, bool snapshot) {
    std::unique_ptr<TSquares> map(std::exchange(Map, nullptr));
    try {
        GridToMap(map, grid, size, regions);
    } catch (...) {
        Map = map.release();
        throw;
    }
    Map = map.release();
    if (snapshot) Map->SnapshotOwners();
}

TNetMessage MakeValueMessage(uint32_t code, uint8_t value) {
    TNetMessage m(kValueMessageSize, 0);
    Put(m, 0, code);
    m[4] = value;
    return m;
}

std::optional<uint8_t> ReadValueMessage(const TNetMessage& m) {
    if (m.size() < kValueMessageSize) return std::nullopt;
    return m[4];
}

TNetMessage MakeChatMessage(std::string_view text, uint32_t colour) {
    text = text.substr(0, 0xFFFF);
    TNetMessage m(12 + text.size(), 0);
    Put(m, 0, uint32_t{dx_Connect_Msg});
    Put(m, 4, colour);
    Put(m, 8, static_cast<uint16_t>(text.size()));
    std::memcpy(m.data() + 10, text.data(), text.size());
    return m;
}

std::optional<TChatLine> ReadChatMessage(const TNetMessage& m) {
    if (!HasCode(m, dx_Connect_Msg, 10)) return std::nullopt;
    const size_t n = Get<uint16_t>(m, 8);
    if (m.size() < 10 + n) return std::nullopt;
    return TChatLine{std::string(reinterpret_cast<const char*>(m.data()) + 10, n), Get<uint32_t>(m, 4)};
}

TNetMessage MakeMapMessage(uint32_t code, uint8_t gosCount, uint8_t mapSize, const TOwnerGrid& grid) {
    TNetMessage m(kMapMessageSize, 0);
    Put(m, 0, code);
    m[4] = gosCount;
    m[5] = mapSize;
    Put(m, 6, grid);
    return m;
}

std::optional<TMapMessage> ReadMapMessage(const TNetMessage& m, std::string& why) {
    if (m.size() < kMapMessageSize) {
        why = "map message of " + std::to_string(m.size()) + " bytes";
        return std::nullopt;
    }
    TMapMessage map{m[4], m[5], Get<TOwnerGrid>(m, 6)};
    if (auto e = CheckOwnerGrid(map.grid, map.mapSize, map.gosCount)) {
        why = *e;
        return std::nullopt;
    }
    return map;
}

TNetMessage MakeInfoForWaiting(std::string_view text) {
    TNetMessage m(4 + text.size() + 1, 0);
    Put(m, 0, uint32_t{dx_Game_SendInfoForWaiting});
    std::memcpy(m.data() + 4, text.data(), text.size());
    return m;
}

std::optional<std::string> ReadInfoForWaiting(const TNetMessage& m) {
    if (!HasCode(m, dx_Game_SendInfoForWaiting, 5)) return std::nullopt;
    auto end = std::find(m.begin() + 4, m.end(), uint8_t{0});
    if (end == m.end()) return std::nullopt;  // no terminator inside the message
    return std::string(m.begin() + 4, end);
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
    std::vector<const TMessageRec*> records;
    for (int i = 0; i < Messages.Count() && records.size() < kMaxRecords; ++i) records.push_back(Messages[i]);
    TNetMessage m(kFullInfSize + records.size() * kMessageRecSize, 0);
    Put(m, 0, uint32_t{dx_Game_SendFull});
    Put(m, full::YearStats, Game.YearStats);
    Put(m, full::Kordalts, Game.mKordalt);
    Put(m, full::Guid, Game.GameGuid);
    m[full::OnInternet] = Game.GameOnInternet;
    Put(m, full::Gos, Game.mGos);
    PutGrid(m, full::Grid);
    Put(m, full::CostStep, Game.ResearchCostStep);
    m[full::Year] = Game.Year;
    m[full::GosCount] = Game.GosCount;
    m[full::AliveGosCount] = Game.AliveGosCount;
    m[full::MapSize] = Game.MapSize;
    PutChronicle(m, full::Chronicle1, full::Chronicle2);
    m[full::TurnMinutes] = turnMinutes;
    Put(m, full::ServerId, serverId);
    Put(m, full::Count, static_cast<uint16_t>(records.size()));
    PutRecords(m, full::Records, records);
    return m;
}

std::optional<TFullInf> ReadFullInf(const TNetMessage& m, std::string& why) {
    if (!HasCode(m, dx_Game_SendFull, full::Records)) {
        why = "full snapshot of " + std::to_string(m.size()) + " bytes";
        return std::nullopt;
    }
    TFullInf f;
    const size_t count = Get<uint16_t>(m, full::Count);
    if (!GetRecords(m, full::Records, count, f.messages)) {
        why = std::to_string(count) + " records do not fit the snapshot";
        return std::nullopt;
    }
    GameState& s = f.state;
    s = Game;
    s.YearStats = Get<decltype(s.YearStats)>(m, full::YearStats);
    s.mKordalt = Get<decltype(s.mKordalt)>(m, full::Kordalts);
    s.GameGuid = Get<TGUID>(m, full::Guid);
    s.GameOnInternet = m[full::OnInternet];
    s.mGos = Get<decltype(s.mGos)>(m, full::Gos);
    f.grid = Get<TOwnerGrid>(m, full::Grid);
    s.ResearchCostStep = Get<float>(m, full::CostStep);
    s.Year = m[full::Year];
    s.GosCount = m[full::GosCount];
    s.AliveGosCount = m[full::AliveGosCount];
    s.MapSize = m[full::MapSize];
    s.BattleChronicle =
        JoinChronicle(Get<ShortString<255>>(m, full::Chronicle1), Get<ShortString<255>>(m, full::Chronicle2));
    f.turnMinutes = m[full::TurnMinutes];
    f.serverId = Get<uint32_t>(m, full::ServerId);
    why = ValidateGame(s, f.grid, TYearLimit::GameOver);
    if (why.empty()) why = CheckRecords(s, f.messages);
    if (!why.empty()) return std::nullopt;
    return f;
}

void CommitFullInf(TFullInf& full, bool snapshot) {
    CommitMap(full.grid, full.state.MapSize, full.state.GosCount, snapshot);
    Game = std::move(full.state);
    CommitMessages(full.messages);
}

TNetMessage MakeHalfInf(uint8_t recipient) {
    std::vector<const TMessageRec*> records;
    for (int i = 0; i < Messages.Count() && records.size() < kMaxRecords; ++i)
        if (Messages[i]->Gos == recipient) records.push_back(Messages[i]);
    TNetMessage m(kHalfInfSize + records.size() * kMessageRecSize, 0);
    Put(m, 0, uint32_t{dx_Game_SendHalf});
    for (int j = 1; j <= Game.GosCount; ++j) {
        const size_t at = static_cast<size_t>(j - 1);
        if (Game.Year >= 2) Put(m, half::YearStats + 24 * at, Game.YearStats[j][Game.Year - 1]);
        const TGosRec& g = Game.mGos[j];
        m[half::Summaries + 16 * at] = g.Alive;
        Put(m, half::Summaries + 16 * at + 4, g.Peasants);
        Put(m, half::Summaries + 16 * at + 8, g.Scientists);
        Put(m, half::Summaries + 16 * at + 12, g.Soldiers);
    }
    PutStateKordalts(m, half::Kordalts, recipient);
    PutGrid(m, half::Grid);
    Put(m, half::Gos, Game.mGos[recipient]);
    m[half::Year] = Game.Year;
    PutChronicle(m, half::Chronicle1, half::Chronicle2);
    Put(m, half::Count, static_cast<uint16_t>(records.size()));
    PutRecords(m, half::Records, records);
    return m;
}

std::optional<THalfInf> ReadHalfInf(const TNetMessage& m, std::string& why) {
    if (!HasCode(m, dx_Game_SendHalf, half::Records)) {
        why = "year result of " + std::to_string(m.size()) + " bytes";
        return std::nullopt;
    }
    THalfInf h;
    GameState& s = h.state;
    const int own = Game.CurrentGos;
    const uint8_t year = m[half::Year];
    const size_t count = Get<uint16_t>(m, half::Count);
    if (own < 1 || own > Game.GosCount) {
        why = "no own state to take a year result";
    } else if (year < 2 || year > YearCount) {
        why = "year result for year " + std::to_string(year);
    } else if (!GetRecords(m, half::Records, count, h.messages)) {
        why = std::to_string(count) + " records do not fit the year result";
    }
    if (!why.empty()) return std::nullopt;
    s = Game;
    s.Year = year;
    s.mGos[own] = Get<TGosRec>(m, half::Gos);
    h.grid = Get<TOwnerGrid>(m, half::Grid);
    for (int j = 1; j <= s.GosCount; ++j) {
        const size_t at = static_cast<size_t>(j - 1);
        s.YearStats[j][year - 1] = Get<TYearStatRec>(m, half::YearStats + 24 * at);
        TGosRec& g = s.mGos[j];
        g.Alive = m[half::Summaries + 16 * at];
        g.Peasants = Get<int32_t>(m, half::Summaries + 16 * at + 4);
        g.Scientists = Get<int32_t>(m, half::Summaries + 16 * at + 8);
        g.Soldiers = Get<int32_t>(m, half::Summaries + 16 * at + 12);
    }
    s.BattleChronicle =
        JoinChronicle(Get<ShortString<255>>(m, half::Chronicle1), Get<ShortString<255>>(m, half::Chronicle2));
    GetStateKordalts(m, half::Kordalts, s, own);
    // The other states come as summaries: only the own record is whole.
    why = ValidateStateRecord(s, own, TYearLimit::GameOver);
    if (why.empty()) {
        if (auto e = CheckOwnerGrid(h.grid, s.MapSize, s.GosCount)) why = *e;
    }
    if (why.empty()) why = CheckRecords(s, h.messages);
    if (!why.empty()) return std::nullopt;
    return h;
}

void CommitHalfInf(THalfInf& half) {
    CommitMap(half.grid, half.state.MapSize, half.state.GosCount, false);
    Game = std::move(half.state);
    CommitMessages(half.messages);
}

TNetMessage MakeClientInf() {
    TNetMessage m(kClientInfSize, 0);
    const uint8_t own = Game.CurrentGos;
    Put(m, 0, uint32_t{dx_Game_SendClientInf});
    m[client::State] = own;
    if (own >= 1 && own <= MaxGos) {
        PutStateKordalts(m, client::Kordalts, own);
        Put(m, client::Gos, Game.mGos[own]);
    }
    return m;
}

bool ApplyClientInf(const TNetMessage& m, std::string& why) {
    if (!HasCode(m, dx_Game_SendClientInf, kClientInfSize)) {
        why = "client state of " + std::to_string(m.size()) + " bytes";
        return false;
    }
    const int g = m[client::State];
    if (g < 1 || g > Game.GosCount) {
        why = "client state " + std::to_string(g);
        return false;
    }
    auto s = std::make_unique<GameState>(Game);
    s->mGos[g] = Get<TGosRec>(m, client::Gos);
    GetStateKordalts(m, client::Kordalts, *s, g);
    why = ValidateStateRecord(*s, g);
    if (!why.empty()) return false;
    Game = std::move(*s);
    return true;
}

}  // namespace kordalt
