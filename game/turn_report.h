// The turn report: every event of a year that a player is to read, one
// fixed-size record per entry, addressed to one state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/colors.h"
#include "platform/short_string.h"

namespace kordalt {

constexpr uint8_t kEventMessage = 1;   // news of a state
constexpr uint8_t kBattleMessage = 2;  // battle text

#pragma pack(push, 1)
struct TMessageRec {
    uint8_t Kind;
    uint8_t Gos;
    uint8_t Padding[2];
    uint32_t Color;
    ShortString<255> Text;
};
#pragma pack(pop)

static_assert(sizeof(TMessageRec) == 264);
static_assert(offsetof(TMessageRec, Gos) == 1);
static_assert(offsetof(TMessageRec, Padding) == 2);
static_assert(offsetof(TMessageRec, Color) == 4);
static_assert(offsetof(TMessageRec, Text) == 8);

// The list owns its records.
class TMesList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TMessageRec* operator[](int index) const { return items_.at(static_cast<size_t>(index)).get(); }
    // Appends a record (copied) and returns the stored one.
    TMessageRec* Add(const TMessageRec& rec);
    // Frees every record; CurMessage is reset when it pointed into the list.
    void Clear();

private:
    std::vector<std::unique_ptr<TMessageRec>> items_;
};

// The turn report of the year, and the record most recently appended to it.
extern TMesList Messages;
extern TMessageRec* CurMessage;

// Appends a record: `text` (cp1251) is cut to 255 characters, the padding and
// the bytes after the text are 0.
void AddMessage(uint8_t kind, uint8_t gos, TColor color, const std::string& text);

// The two states of the battle being fought (set by the battle phase).
extern uint8_t BattleAttacker;
extern uint8_t BattleDefender;

// A battle text for both sides of the battle being fought, attacker first;
// only states played by a human receive it.
void AddBattleMessage(TColor color, const std::string& text);

// Splits a tactic text at its first CR: the head goes out in green, the rest
// after the CR and the character that follows it in navy.
void AddBattleText(const std::string& text);

// A name written into a "~"-separated record, with every "~" made "-".
std::string RecordField(const std::string& name);

}  // namespace kordalt
