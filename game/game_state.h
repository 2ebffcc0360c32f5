// The game's tables and counters. The records are a file and wire format:
// saved games and network messages copy them byte for byte, padding included,
// so every size and offset is fixed below. All numbers are little-endian.
#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/guid.h"
#include "platform/short_string.h"

namespace kordalt {

static_assert(std::endian::native == std::endian::little, "records are stored in host byte order");

class TSquares;

constexpr int MaxGos = 20;             // states 1..20
constexpr int KordaltSlotCount = 201;  // Kordalts 1..201
constexpr int PeopleKordalt = 201;     // the candidate drawn from the people
constexpr int YearCount = 120;         // YearStats years 1..120
constexpr int ResearchBranchCount = 6;

// A fixed array indexed from 1, laid out exactly as the plain array.
template <class T, int N>
struct OneBased {
    T Items[N];
    T& operator[](int i) {
        assert(i >= 1 && i <= N);
        return Items[i - 1];
    }
    const T& operator[](int i) const {
        assert(i >= 1 && i <= N);
        return Items[i - 1];
    }
};

// Offsets are checked where each record is declared.
#define KORDALT_AT(Rec, field, offset) static_assert(offsetof(Rec, field) == (offset), #Rec "." #field)
#define KORDALT_RECORD(Rec, size)                                                 \
    static_assert(sizeof(Rec) == (size), #Rec " size");                           \
    static_assert(std::is_trivially_copyable_v<Rec>, #Rec " is copied as bytes"); \
    static_assert(std::is_standard_layout_v<Rec>, #Rec " layout")

struct TRelationRec {
    uint8_t Attitude;    // toward state j, 0..100
    uint8_t Aggression;  // grievance toward state j
};
KORDALT_RECORD(TRelationRec, 2);
KORDALT_AT(TRelationRec, Attitude, 0);
KORDALT_AT(TRelationRec, Aggression, 1);

struct TResearchRec {
    int32_t Level;
    float Effect;
    float Increment;  // what one further level adds to Effect
    int32_t Points;   // gathered toward the next level
    int32_t Cost;     // points the next level costs
    int32_t Scientists;
};
KORDALT_RECORD(TResearchRec, 24);
KORDALT_AT(TResearchRec, Level, 0);
KORDALT_AT(TResearchRec, Effect, 4);
KORDALT_AT(TResearchRec, Increment, 8);
KORDALT_AT(TResearchRec, Points, 12);
KORDALT_AT(TResearchRec, Cost, 16);
KORDALT_AT(TResearchRec, Scientists, 20);

// Research branches in record order.
enum ResearchBranch : int {
    PopulationDensity = 0,  // people one square holds
    PopulationGrowth = 1,   // birth rate in per cent
    AgrarianLevel = 2,      // yield of one sown field
    FinancialLevel = 3,     // price of grain
    MilitaryTraining = 4,   // attack and defence factor
    ScienceLevel = 5,       // points per scientist and year
};

struct ResearchStart {
    float Effect;
    float Increment;
};
// Effect and Increment of each branch at a new game.
inline constexpr ResearchStart InitialResearch[ResearchBranchCount] = {
    {1.0f, 0.07f}, {3.0f, 0.2f}, {1.0f, 0.05f}, {10.0f, 0.5f}, {100.0f, 10.0f}, {1.0f, 0.1f},
};

struct TFrontRec {
    uint8_t Neighbour;  // 1 when the two states border each other
    uint8_t Pad1[3];
    OneBased<int32_t, 5> Soldiers;  // troop types 1..5
    uint8_t Kordalt;                // commanding mKordalt slot, 0 none
    uint8_t Fortified;
    uint8_t Pad26[2];
};
KORDALT_RECORD(TFrontRec, 28);
KORDALT_AT(TFrontRec, Neighbour, 0);
KORDALT_AT(TFrontRec, Pad1, 1);
KORDALT_AT(TFrontRec, Soldiers, 4);
KORDALT_AT(TFrontRec, Kordalt, 24);
KORDALT_AT(TFrontRec, Fortified, 25);
KORDALT_AT(TFrontRec, Pad26, 26);

// What CapturedThisTurn holds, between a network year's battle phases, for a
// state whose player ended his turn (message 13).
constexpr uint16_t kEndOfTurnMark = 39;

struct TGosRec {
    uint32_t Player;  // 0 computer; human number, or session player id in a network game
    ShortString<13> Name;
    uint8_t Passed;
    ShortString<13> PlayerName;
    ShortString<13> StartPlayerName;
    uint8_t Pad47[1];
    double TimeSpent;  // days
    uint16_t Territory;
    uint8_t Destroyed;
    uint8_t DestroyedAsPlayer;
    uint8_t HumanVictimCount;
    OneBased<uint8_t, 20> HumanVictims;
    uint8_t Pad81[1];
    uint16_t CapturedThisTurn;  // or kEndOfTurnMark
    uint8_t Alive;
    uint8_t Pad85[3];
    int32_t Money;
    uint8_t KordaltCount;
    uint8_t SavingForKordalt;
    uint16_t FieldsSown;
    int32_t Grain;
    OneBased<TRelationRec, MaxGos> Relations;
    int32_t Character;  // computer player's character, 1..3
    TResearchRec Research[ResearchBranchCount];
    int32_t Peasants;
    int32_t Scientists;  // all, assigned or not
    int32_t Soldiers;    // Reserve plus every front
    int32_t Reserve;
    int32_t FreeScientists;
    OneBased<TFrontRec, MaxGos> Fronts;  // front j faces state j; the own number is the HomeFront
    uint8_t NeighbourCount;
    uint8_t Morale;
    uint8_t Pad870[2];
    uint32_t TimesAttacked;
    uint8_t Pad876[4];
};
KORDALT_RECORD(TGosRec, 880);
KORDALT_AT(TGosRec, Player, 0);
KORDALT_AT(TGosRec, Name, 4);
KORDALT_AT(TGosRec, Passed, 18);
KORDALT_AT(TGosRec, PlayerName, 19);
KORDALT_AT(TGosRec, StartPlayerName, 33);
KORDALT_AT(TGosRec, Pad47, 47);
KORDALT_AT(TGosRec, TimeSpent, 48);
KORDALT_AT(TGosRec, Territory, 56);
KORDALT_AT(TGosRec, Destroyed, 58);
KORDALT_AT(TGosRec, DestroyedAsPlayer, 59);
KORDALT_AT(TGosRec, HumanVictimCount, 60);
KORDALT_AT(TGosRec, HumanVictims, 61);
KORDALT_AT(TGosRec, Pad81, 81);
KORDALT_AT(TGosRec, CapturedThisTurn, 82);
KORDALT_AT(TGosRec, Alive, 84);
KORDALT_AT(TGosRec, Pad85, 85);
KORDALT_AT(TGosRec, Money, 88);
KORDALT_AT(TGosRec, KordaltCount, 92);
KORDALT_AT(TGosRec, SavingForKordalt, 93);
KORDALT_AT(TGosRec, FieldsSown, 94);
KORDALT_AT(TGosRec, Grain, 96);
KORDALT_AT(TGosRec, Relations, 100);
KORDALT_AT(TGosRec, Character, 140);
KORDALT_AT(TGosRec, Research, 144);
KORDALT_AT(TGosRec, Peasants, 288);
KORDALT_AT(TGosRec, Scientists, 292);
KORDALT_AT(TGosRec, Soldiers, 296);
KORDALT_AT(TGosRec, Reserve, 300);
KORDALT_AT(TGosRec, FreeScientists, 304);
KORDALT_AT(TGosRec, Fronts, 308);
KORDALT_AT(TGosRec, NeighbourCount, 868);
KORDALT_AT(TGosRec, Morale, 869);
KORDALT_AT(TGosRec, Pad870, 870);
KORDALT_AT(TGosRec, TimesAttacked, 872);
KORDALT_AT(TGosRec, Pad876, 876);

struct TKordaltRec {
    uint8_t Id;  // its own slot number
    ShortString<13> Name;
    uint8_t Front;  // state whose front he commands (the employer's own number: HomeFront), 0 none
    uint8_t Owner;  // employing state, 0 for hire
    uint8_t Age;
    uint8_t Lifespan;
    uint8_t Speed;      // 1..100
    uint8_t Mastery;    // 0..100
    uint8_t Condition;  // 0..100
    uint8_t Mark;       // 1..5
    uint8_t Order;      // 0 fortify, 1 attack, 2 rest, 3 train
    uint8_t Unused;
};
KORDALT_RECORD(TKordaltRec, 25);

// TKordaltRec::Order values.
constexpr uint8_t kOrderFortify = 0;
constexpr uint8_t kOrderAttack = 1;
constexpr uint8_t kOrderRest = 2;
constexpr uint8_t kOrderTrain = 3;
KORDALT_AT(TKordaltRec, Id, 0);
KORDALT_AT(TKordaltRec, Name, 1);
KORDALT_AT(TKordaltRec, Front, 15);
KORDALT_AT(TKordaltRec, Owner, 16);
KORDALT_AT(TKordaltRec, Age, 17);
KORDALT_AT(TKordaltRec, Lifespan, 18);
KORDALT_AT(TKordaltRec, Speed, 19);
KORDALT_AT(TKordaltRec, Mastery, 20);
KORDALT_AT(TKordaltRec, Condition, 21);
KORDALT_AT(TKordaltRec, Mark, 22);
KORDALT_AT(TKordaltRec, Order, 23);
KORDALT_AT(TKordaltRec, Unused, 24);

// One state in one year. Levels, Scientists and Soldiers keep only the low
// 8 or 16 bits.
struct TYearStatRec {
    uint8_t Levels[ResearchBranchCount];
    uint8_t Pad6[2];
    uint32_t Harvest;
    uint32_t Peasants;
    uint16_t Territory;
    uint16_t Scientists;
    uint16_t Soldiers;
    uint8_t Pad22[2];
};
KORDALT_RECORD(TYearStatRec, 24);
KORDALT_AT(TYearStatRec, Levels, 0);
KORDALT_AT(TYearStatRec, Pad6, 6);
KORDALT_AT(TYearStatRec, Harvest, 8);
KORDALT_AT(TYearStatRec, Peasants, 12);
KORDALT_AT(TYearStatRec, Territory, 16);
KORDALT_AT(TYearStatRec, Scientists, 18);
KORDALT_AT(TYearStatRec, Soldiers, 20);
KORDALT_AT(TYearStatRec, Pad22, 22);

#undef KORDALT_AT
#undef KORDALT_RECORD

// Every table and counter of a game. A saved game or a network snapshot is
// read into a scratch copy, validated and then assigned to `Game`.
struct GameState {
    OneBased<TGosRec, MaxGos> mGos{};  // records above GosCount are unused
    OneBased<TKordaltRec, KordaltSlotCount> mKordalt{};
    // State-major: (s, y) lies at byte 2880(s-1) + 24(y-1).
    OneBased<OneBased<TYearStatRec, YearCount>, MaxGos> YearStats{};
    uint8_t GosCount = 0;
    uint8_t AliveGosCount = 0;
    uint8_t MapSize = 0;
    uint8_t Year = 0;
    uint8_t DifficultyLevel = 0;  // 0 training, 1 normal, 2 expert
    uint16_t SaveCounter = 0;
    float ResearchCostStep = 0;
    TGUID GameGuid{};
    uint8_t GameOnInternet = 0;
    uint8_t HumanCount = 0;
    uint8_t CurrentHuman = 0;
    uint8_t ResumeHuman = 0;
    uint8_t CurrentGos = 0;
    std::string CurrentPlayerName;
    uint8_t HumanWon = 0;
    // `Messages`, the turn report, joins here with its record type.
    std::string BattleChronicle;  // lines joined by ChronicleSeparator
    OneBased<std::string, 11> KordaltBaseNames{{"?", "?", "?", "?", "?", "?", "?", "?", "?", "?", "?"}};
};
static_assert(sizeof(GameState::mGos) == 17600);
static_assert(sizeof(GameState::mKordalt) == 5025);
static_assert(sizeof(GameState::YearStats) == 57600);

extern GameState Game;

// The map, nullptr until the first map is generated or received. The map code
// owns it (creates, replaces and frees it); it stays outside GameState so that
// copies of the state never share it.
extern TSquares* Map;

inline constexpr std::string_view LineBreak = "\n\r";
inline constexpr std::string_view ChronicleSeparator = "\n";

}  // namespace kordalt
