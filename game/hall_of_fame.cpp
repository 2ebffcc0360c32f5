#include "game/hall_of_fame.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "game/game_state.h"
#include "game/language_file.h"
#include "platform/arith.h"
#include "platform/atomic_file.h"

namespace kordalt {
namespace {

constexpr uint8_t kExpert = 2;

struct TDefaultRow {
    int32_t GosCount, Destroyed, Year, ResearchSum, Saves;
};
constexpr TDefaultRow kDefaultRows[kRecordRows] = {
    {20, 14, 80, 150, 0}, {20, 11, 70, 130, 0}, {18, 9, 60, 90, 0},   {20, 13, 110, 290, 0},
    {15, 8, 80, 130, 1},  {15, 4, 105, 230, 2}, {10, 3, 115, 260, 3}, {0, 0, 0, 0, 0},
};

TRecordEntry BlankEntry() {
    TRecordEntry entry;
    std::memset(&entry, 0, sizeof entry);
    return entry;
}

}  // namespace

int32_t RecordPoints(int32_t gosCount, int32_t destroyed, int32_t year, int32_t researchSum, int32_t saves) {
    const int64_t sides = int64_t{gosCount} + destroyed;
    const int64_t numerator = sides * sides * (150 - int64_t{year}) + researchSum;
    return SaturateI32(Trunc(static_cast<long double>(numerator) / (int64_t{saves} + 1)));
}

TRecordEntries DefaultRecordTable() {
    TRecordEntries entries;
    for (int row = 0; row < kRecordRows; ++row) {
        const TDefaultRow& d = kDefaultRows[row];
        TRecordEntry& e = entries[static_cast<size_t>(row)];
        e = BlankEntry();
        e.PlayerName.Assign(LangText(kHallOfFameRulerNames[row]));
        e.GosCount = d.GosCount;
        e.Destroyed = d.Destroyed;
        e.Year = d.Year;
        e.ResearchSum = d.ResearchSum;
        e.Saves = d.Saves;
        e.Difficulty = kExpert;
        e.Points = d.Year == 0 ? 0 : RecordPoints(d.GosCount, d.Destroyed, d.Year, d.ResearchSum, d.Saves);
    }
    return entries;
}

std::string EncodeRecordTable(const TRecordEntries& entries) {
    return std::string(reinterpret_cast<const char*>(entries.data()), kRecordFileSize);
}

TRecordEntries DecodeRecordTable(std::string_view bytes) {
    if (bytes.size() != kRecordFileSize)
        throw ERecordFileError("record file: " + std::to_string(bytes.size()) + " bytes instead of 384");
    TRecordEntries entries;
    std::memcpy(entries.data(), bytes.data(), kRecordFileSize);
    for (const TRecordEntry& e : entries)
        if (e.PlayerName.Length > ShortString<13>::Capacity || e.Difficulty > kExpert)
            throw ERecordFileError("record file: damaged row");
    return entries;
}

int WriteRecordFile(const std::string& path, const TRecordEntries& entries) {
    return WriteFileAtomically(path, EncodeRecordTable(entries));
}

namespace {

bool RecordFileMissing(const std::string& path) {
    std::error_code ec;
    return !std::filesystem::exists(path, ec) && !ec;
}

TRecordEntries ReadExistingRecordFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ERecordFileError("record file: cannot be opened");
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return DecodeRecordTable(bytes);
}

}  // namespace

TRecordEntries ReadRecordFile(const std::string& path, int& writeError) {
    writeError = 0;
    if (!RecordFileMissing(path)) return ReadExistingRecordFile(path);
    TRecordEntries entries;
    writeError = UpdateRecordFile(
        path, [](TRecordEntries&) {}, entries);
    return entries;
}

int UpdateRecordFile(const std::string& path, const std::function<void(TRecordEntries&)>& change,
                     TRecordEntries& entries) {
    const FileUpdateLock lock(path);
    entries = RecordFileMissing(path) ? DefaultRecordTable() : ReadExistingRecordFile(path);
    change(entries);
    return lock.Error() != 0 ? lock.Error() : WriteRecordFile(path, entries);
}

bool EnterFinishedGame(TRecordEntries& entries) {
    int human = 0;
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player != 0) human = i;
    if (human == 0) return false;
    const TGosRec& gos = Game.mGos[human];
    if (Game.DifficultyLevel != kExpert) Game.SaveCounter = 0;

    TRecordEntry& last = entries[kLastGameRow];
    last = BlankEntry();
    last.PlayerName = gos.PlayerName;
    last.GosCount = Game.GosCount;
    last.Destroyed = gos.Destroyed;
    last.Year = Game.Year;
    for (const TResearchRec& research : gos.Research) last.ResearchSum += research.Level;
    last.Saves = Game.SaveCounter;
    last.Difficulty = Game.DifficultyLevel;
    last.Points = Game.HumanWon && Game.DifficultyLevel > 0
                      ? RecordPoints(last.GosCount, last.Destroyed, last.Year, last.ResearchSum, last.Saves)
                      : 0;

    if (last.Points > entries[kLastGameRow - 1].Points) {
        entries[kLastGameRow - 1] = last;
        for (int k = kLastGameRow - 2; k >= 0; --k)
            if (entries[static_cast<size_t>(k)].Points <= entries[static_cast<size_t>(k) + 1].Points)
                std::swap(entries[static_cast<size_t>(k)], entries[static_cast<size_t>(k) + 1]);
    }
    return true;
}

}  // namespace kordalt
