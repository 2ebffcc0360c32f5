// Brings the keys of a newer shipped settings file into a player's own: every
// key his file lacks is added with the shipped value; his values stay.
//
// merge_settings <shipped settings file> <player's settings file>
#include <cstdio>
#include <exception>

#include "platform/ini_file.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: merge_settings <shipped settings file> <player's settings file>\n");
        return 2;
    }
    try {
        const kordalt::TIniFile shipped(argv[1]);
        kordalt::TIniFile player(argv[2]);
        kordalt::AddMissingKeys(shipped, player);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "merge_settings: %s\n", e.what());
        return 1;
    }
    return 0;
}
