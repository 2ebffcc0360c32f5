// Settings (INI) files: "[Section]" header lines and "key=value" lines.
//
// - Section and key names are case-insensitive (ASCII and cp1251 Cyrillic);
//   the first occurrence of a duplicated section or key wins.
// - A value is the text after the first "=", trimmed of blanks, with one
//   enclosing pair of matching quotes (" or ') removed. A line whose first
//   non-blank character is ';' is a comment; there are no inline comments.
// - Files in UTF-8 (with or without a byte-order mark) or Windows-1251 are read
//   (valid UTF-8 is taken as UTF-8); names and values are cp1251 text for the
//   program, and the file is written back in the encoding it was read in.
// - Every write goes to disk at once, through a temporary file renamed over the
//   target, and keeps every other line as it was. All objects open on one file
//   share one document, so each sees the others' writes at once; a change made
//   to the file by anyone else is read again within kIniChangeCheckInterval.
//   Every write reads the file again first, under a lock that other processes
//   writing it also take, so writes of several programs at once all stay.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kordalt {

// A settings file that could not be written (or, before a write, not read).
// The file on disk is left as it was. The text (UTF-8, Russian) is for the player.
class EIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads trust the file on disk to be as last seen for this long.
constexpr std::chrono::milliseconds kIniChangeCheckInterval{100};

class IniDocument;

class TIniFile {
public:
    // `fileName` is a file-system path; the file need not exist yet.
    explicit TIniFile(const std::string& fileName);
    virtual ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal, or hexadecimal as "$1F", "0x1F" or "0X1F", with an optional sign;
    // `def` when missing, not a number or outside 32 bits.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    // An integer, non-zero meaning true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Line breaks in `value` are written as blanks, so a value stays one line.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    // Writes "1" or "0".
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Key names of the section in file order, each once.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // Section names in file order, each once.
    std::vector<std::string> ReadSections() const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    // Removes every header and line of the section (all of its occurrences).
    void EraseSection(std::string_view section);
    // Removes the key's lines from the section.
    void DeleteKey(std::string_view section, std::string_view key);

    // Writes are on disk already; nothing is pending.
    void UpdateFile() {}

private:
    std::string fileName_;
    std::shared_ptr<IniDocument> doc_;
};

// Adds to `target` every key of `source` that it lacks, with the source's
// value; the keys it has keep their values.
void AddMissingKeys(const TIniFile& source, TIniFile& target);

// Integer text as the settings file reads it; false when it is not a 32-bit number.
bool ParseIniInteger(std::string_view text, int32_t& value);

}  // namespace kordalt
