// kordalt_netplayer: one automatic player of a network game, for tests and
// benchmarks. Runs in the current folder as its program folder.
#include <cstdio>
#include <string>
#include <vector>

#include "app/netplayer/net_player.h"

int main(int argc, char** argv) {
    std::string error;
    const auto options =
        kordalt::ParseNetPlayerOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "kordalt_netplayer: %s\n", error.c_str());
        return 2;
    }
    return kordalt::RunNetPlayer(*options);
}
