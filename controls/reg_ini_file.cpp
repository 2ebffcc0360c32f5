#include "controls/reg_ini_file.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/program_path.h"

namespace kordalt {

std::string RegistryRootName(TPlacementRegRoot root) {
    switch (root) {
        case prCurrentUser:
            return "HKEY_CURRENT_USER";
        case prLocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case prCurrentConfig:
            return "HKEY_CURRENT_CONFIG";
        case prClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case prUsers:
            return "HKEY_USERS";
        case prDynData:
            return "HKEY_DYN_DATA";
    }
    return "HKEY_CURRENT_USER";
}

std::string XdgConfigHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return config;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

std::string DefaultRegistryKey() {
    return "Software\\" + std::filesystem::path(ProgramFileName()).stem().string();
}

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// `name` in `dir`, or the entry of another case that exists there: key names
// are case-insensitive.
std::filesystem::path Child(const std::filesystem::path& dir, const std::string& name) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (SameIgnoringCase(entry.path().filename().string(), name)) return entry.path();
    }
    return dir / name;
}

}  // namespace

std::string RegistryFileName(TPlacementRegRoot root, std::string_view key) {
    std::filesystem::path path =
        std::filesystem::path(XdgConfigHome()) / "kordalt" / "registry" / RegistryRootName(root);
    std::vector<std::string> parts;
    std::string part;
    auto flush = [&] {
        if (!part.empty() && part != "." && part != "..") parts.push_back(part);
        part.clear();
    };
    for (char c : key) {
        if (c == '\\' || c == '/')
            flush();
        else
            part += c;
    }
    flush();
    if (parts.empty()) return path.string() + ".INI";
    for (size_t i = 0; i + 1 < parts.size(); ++i) path = Child(path, parts[i]);
    return Child(path, parts.back() + ".INI").string();
}

namespace {

std::string MakeFolderFor(const std::string& file) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    return file;
}

}  // namespace

TRegIniFile::TRegIniFile(std::string key, TPlacementRegRoot root)
    : TIniFile(MakeFolderFor(RegistryFileName(root, key))), key_(std::move(key)), root_(root) {}

void TRegIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.front() == value.back();
    TIniFile::WriteString(section, key, quoted ? "\"" + std::string(value) + "\"" : std::string(value));
}

}  // namespace kordalt
