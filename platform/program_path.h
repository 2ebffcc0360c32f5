// Where the running program lives, and the name of its settings file.
#pragma once

#include <string>
#include <string_view>

namespace kordalt {

// Full path of the running program: /proc/self/exe, or the name set by
// SetProgramFileName.
std::string ProgramFileName();

// The program's directory with a trailing '/'.
std::string ProgramDirectory();

// Tests give the program another place; an empty name restores /proc/self/exe.
void SetProgramFileName(std::string path);

// The file name of `programFile` without its directory, its extension replaced
// by ".INI" (or ".INI" appended when it has none): "/opt/kordalt" -> "kordalt.INI".
std::string IniFileNameFor(std::string_view programFile);

// IniFileNameFor(ProgramFileName()).
std::string DefaultIniFileName();

// Test helper: sets the program's file name for the scope, then restores the previous one.
class ScopedProgramFileName {
public:
    explicit ScopedProgramFileName(std::string path);
    ~ScopedProgramFileName();
    ScopedProgramFileName(const ScopedProgramFileName&) = delete;
    ScopedProgramFileName& operator=(const ScopedProgramFileName&) = delete;

private:
    std::string previous_;
};

}  // namespace kordalt
