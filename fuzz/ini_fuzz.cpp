// Settings-file parser and writer: any bytes parse; a write changes exactly the
// key written, and every other value reads back as before.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/ini_file.h"

namespace {

using kordalt::TIniFile;
using Values = std::map<std::pair<std::string, std::string>, std::string>;

const std::string& FilePath() {
    static const std::string path = [] {
        const char* dir = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/ini_fuzz." + std::to_string(getpid()) + ".ini";
    }();
    static const bool removeAtExit = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)removeAtExit;
    return path;
}

Values AllValues(const TIniFile& ini) {
    Values values;
    for (const std::string& section : ini.ReadSections())
        for (const std::string& key : ini.ReadSection(section)) {
            ini.ReadInteger(section, key, 0);
            values[{section, key}] = ini.ReadString(section, key, "\x01missing");
        }
    return values;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

bool SameName(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

// Writes `key` (ASCII) in `section` and checks that no other value changed.
void WriteAndCompare(TIniFile& ini, const std::string& section, const std::string& key) {
    Values before = AllValues(ini);
    ini.WriteString(section, key, " fuzz value ");
    Check(ini.ReadString(section, key, "") == "fuzz value");
    Values after = AllValues(ini);
    const auto written = [&](const auto& entry) {
        return SameName(entry.first.first, section) && SameName(entry.first.second, key);
    };
    std::erase_if(before, written);
    std::erase_if(after, written);
    Check(before == after);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TIniFile ini(FilePath());
    const auto sections = ini.ReadSections();
    WriteAndCompare(ini, "FuzzSection", "fuzz.key");
    if (!sections.empty()) WriteAndCompare(ini, sections.front(), "fuzz.key2");
    ini.DeleteKey("FuzzSection", "fuzz.key");
    Check(!ini.ValueExists("FuzzSection", "fuzz.key"));
    ini.EraseSection("FuzzSection");
    Check(!ini.SectionExists("FuzzSection"));
    return 0;
}
