// The registry kind of settings store. There is no registry here: each key
// (a root and a path such as Software\kordalt) is a settings file under the
// user's configuration directory, and its subkeys are that file's sections.
#pragma once

#include <string>
#include <string_view>

#include "platform/ini_file.h"

namespace kordalt {

enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };

// "HKEY_CURRENT_USER" and the like.
std::string RegistryRootName(TPlacementRegRoot root);
// $XDG_CONFIG_HOME, or ~/.config when that is unset or not absolute.
std::string XdgConfigHome();
// "Software\" followed by the program's file name without directory and extension.
std::string DefaultRegistryKey();
// The file that holds `key` of `root`:
// <config>/kordalt/registry/<root name>/<key, "\" as "/">.INI. Empty and "." or
// ".." parts of the key are dropped.
std::string RegistryFileName(TPlacementRegRoot root, std::string_view key);

class TRegIniFile : public TIniFile {
public:
    // Makes the key's folder when it is missing.
    explicit TRegIniFile(std::string key, TPlacementRegRoot root = prCurrentUser);

    const std::string& Key() const { return key_; }
    TPlacementRegRoot Root() const { return root_; }
    // A registry value is kept as written: one enclosed in a pair of matching
    // quotes gets one more pair of double quotes, since the file strips one.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    std::string key_;
    TPlacementRegRoot root_;
};

}  // namespace kordalt
