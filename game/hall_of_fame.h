// The hall of fame "dim.rec": the seven best games of single-human play, best
// first, and the player's last game in row 7; its file format and its scoring.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/short_string.h"

namespace kordalt {

// One row of the table, stored as it is in the file (little-endian).
struct TRecordEntry {
    ShortString<13> PlayerName;  // cp1251
    uint8_t Pad14[2];
    int32_t Points;
    int32_t GosCount;
    int32_t Destroyed;
    int32_t Year;         // the year the game ended
    int32_t ResearchSum;  // of the player's six research levels
    int32_t Saves;        // counted only at the expert level
    uint8_t Difficulty;   // 0 training, 1 normal, 2 expert
    uint8_t Pad41[3];
    int32_t Reserved;  // written 0
};
static_assert(sizeof(TRecordEntry) == 48);
static_assert(std::is_trivially_copyable_v<TRecordEntry>);

constexpr int kRecordRows = 8;
constexpr int kLastGameRow = 7;
constexpr size_t kRecordFileSize = kRecordRows * sizeof(TRecordEntry);  // 384
inline constexpr char kRecordFileName[] = "dim.rec";

using TRecordEntries = std::array<TRecordEntry, kRecordRows>;

// A record file that is short, long or holds impossible values.
class ERecordFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Trunc(((gosCount + destroyed)² · (150 − year) + researchSum) / (saves + 1)).
int32_t RecordPoints(int32_t gosCount, int32_t destroyed, int32_t year, int32_t researchSum, int32_t saves);

// The table of a new installation; the names are language texts 1180..1187.
TRecordEntries DefaultRecordTable();

std::string EncodeRecordTable(const TRecordEntries& entries);
// Raises ERecordFileError for anything but 384 bytes of sound rows.
TRecordEntries DecodeRecordTable(std::string_view bytes);

// Writes the table whole, replacing the file atomically; returns 0 or the errno.
int WriteRecordFile(const std::string& path, const TRecordEntries& entries);
// Reads the table; a missing file is first created with the default table
// (a failure to write it is returned through `writeError`, else 0). Raises
// ERecordFileError for a file that cannot be read or is damaged.
TRecordEntries ReadRecordFile(const std::string& path, int& writeError);
// Reads the table (the default table when the file is missing), lets `change`
// alter it and writes it back, while every other program updating the file
// waits from the read to the write. `entries` gets the changed table. Returns 0
// or the errno of a failed write; raises ERecordFileError, writing nothing, for
// a file that cannot be read or is damaged.
int UpdateRecordFile(const std::string& path, const std::function<void(TRecordEntries&)>& change,
                     TRecordEntries& entries);

// Puts the finished game of the human of the last human state (the highest
// numbered state with a player) into row 7 and, when it beats row 6, into the
// top seven. Below the expert level SaveCounter is set to 0. Returns false
// (and changes nothing) when no state has a player.
bool EnterFinishedGame(TRecordEntries& entries);

}  // namespace kordalt
