// Saved games: a 200-byte header a person can read, then the game tables, the
// map's owners, the counters, a checksum and the turn report, compressed in
// the fast mode.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace kordalt {

constexpr size_t kSaveHeaderSize = 200;

// ---- record serialization, shared with the network messages ----
//
// A body or message is described once, as a function template visiting its
// fields in order with a writer, a reader or a sizer:
//   Field(x)          x byte for byte (records are packed, little-endian);
//   Pad(n)            n zero bytes;
//   Tail(n)           n zero bytes at the end that a reader does not require;
//   Sequence(xs, n)   n items (records or characters), n visited before;
//   CString(text)     characters and a zero byte.

// A body or message that ends before a field it describes, or whose count
// does not fit.
struct BodyError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class BodyWriter {
public:
    template <class T>
    void Field(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof(T));
    }
    void Pad(size_t n) { bytes_.append(n, '\0'); }
    void Tail(size_t n) { Pad(n); }
    template <class Items, class Count>
    void Sequence(const Items& items, Count count) {
        assert(std::cmp_equal(count, items.size()));
        for (const auto& item : items) Field(item);
    }
    void CString(std::string_view text) {
        bytes_.append(text);
        Pad(1);
    }
    std::string& Bytes() { return bytes_; }

private:
    std::string bytes_;
};

class BodyReader {
public:
    explicit BodyReader(std::string_view bytes) : bytes_(bytes) {}
    template <class T>
    void Field(T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        std::memcpy(&value, Take(sizeof(T)).data(), sizeof(T));
    }
    template <class T>
    T Get() {
        T value;
        Field(value);
        return value;
    }
    void Pad(size_t n) { Take(n); }
    void Tail(size_t n) { pos_ += std::min(n, Left()); }
    template <class Items, class Count>
    void Sequence(Items& items, Count count) {
        using Item = typename Items::value_type;
        if (std::cmp_less(count, 0) || std::cmp_greater(count, Left() / sizeof(Item)))
            throw BodyError(std::to_string(count) + " items do not fit in " + std::to_string(Left()) +
                            " bytes");
        items.resize(static_cast<size_t>(count));
        for (auto& item : items) Field(item);
    }
    void CString(std::string& text) {
        const std::string_view rest = bytes_.substr(pos_);
        const size_t end = rest.find('\0');
        if (end == std::string_view::npos) throw BodyError("text without its zero byte");
        text = std::string(Take(end + 1).substr(0, end));
    }
    size_t Left() const { return bytes_.size() - pos_; }

private:
    std::string_view Take(size_t n) {
        if (Left() < n) throw BodyError("ends at byte " + std::to_string(bytes_.size()));
        const std::string_view part = bytes_.substr(pos_, n);
        pos_ += n;
        return part;
    }
    std::string_view bytes_;
    size_t pos_ = 0;
};

class BodySizer {
public:
    template <class T>
    void Field(const T&) {
        size_ += sizeof(T);
    }
    void Pad(size_t n) { size_ += n; }
    void Tail(size_t n) { size_ += n; }
    template <class Items, class Count>
    void Sequence(const Items& items, Count) {
        size_ += items.size() * sizeof(typename Items::value_type);
    }
    void CString(std::string_view text) { size_ += text.size() + 1; }
    size_t Size() const { return size_; }

private:
    size_t size_ = 0;
};

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
int64_t ResearchChecksum(uint8_t gos);

// "autosave" and "_" + the player name of every living human state, in
// case-insensitive order; "/", "\", NUL and control characters become "_".
void MakeAutosaveName(std::string& name);

}  // namespace kordalt
