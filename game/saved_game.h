// Saved games: a 200-byte header a person can read, then the game tables, the
// map's owners, the counters, a checksum and the turn report, compressed in
// the fast mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kordalt {

constexpr size_t kSaveHeaderSize = 200;

// 1 while a save runs.
extern uint8_t SaveGuard;

// A save that could not be written; the previous file is left as it was and
// the save is not counted. The text (cp1251, Russian) is for the player.
struct ESaveError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The header of the current game, exactly kSaveHeaderSize bytes.
std::string SaveHeader();

// The whole file of the current game. Runs the self-test, clears CurrentHuman
// in a network game and increments SaveCounter.
std::string SavedGameImage();

// Writes the file through a temporary file renamed over `fileName`; a file
// the player may not write is not replaced. Does nothing while another save
// runs; errors reach the caller as ESaveError.
void SaveGame(const std::string& fileName);

// For crafting files: the body of the current game as SavedGameImage builds
// it (without the self-test), a body's checksum item recomputed from its
// tables (false when the body is too short), and a whole file around a body.
std::string SavedGameBody();
bool ResealSavedBody(std::string& body);
std::string SavedGameFile(std::string_view body);

// Asks for a file in the open dialog and loads it; true when it can be played.
bool LoadGame();
// Loads `fileName`; false without a message when it cannot be read.
bool LoadGameFile(const std::string& fileName);
// Loads a file's bytes. The game is committed only when the body parses, every
// index, count and divisor is valid, the grid is a map, the checksum matches
// and the file fits the kind of game (GameMode, IsInternetGame); otherwise a
// message says why and the running tables stay as they were.
bool LoadGameImage(std::string_view image);

int64_t GameChecksum();
// The checksum of what every peer of a network game holds alike: the own
// count of saves (SaveCounter), which the network does not carry, left out.
int64_t SharedGameChecksum();
int64_t ResearchChecksum(uint8_t gos);

// "autosave" and "_" + the player name of every living human state, in
// case-insensitive order; "/", "\", NUL and control characters become "_".
void MakeAutosaveName(std::string& name);

}  // namespace kordalt
