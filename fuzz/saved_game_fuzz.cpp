// The saved-game loader on crafted files: the body of a game in progress with
// byte patches, its checksum recomputed as someone crafting a file would,
// compressed and loaded. A file the loader accepts must play a year without
// failing the self-test; one it refuses must leave the game as it was.
#include "fuzz/game_fuzz_common.h"

using namespace kordalt;

namespace {
fuzz::TGameInProgress& Start() {
    static fuzz::TGameInProgress game;
    return game;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TGameInProgress& start = Start();
    start.Restore();
    PlayMode.GameMode = kLocalGame;
    PlayMode.IsInternetGame = false;
    std::string body = start.body;
    // The first two bytes, when the input is odd-sized, cut the body short.
    if (size % 5 == 2) {
        body.resize(body.size() - (size_t{data[0]} | size_t{data[1]} << 8) % body.size());
        data += 2;
        size -= 2;
    }
    fuzz::ApplyPatches(body, data, size);
    ResealSavedBody(body);
    const std::string before = fuzz::StateBytes();
    if (LoadGameImage(SavedGameFile(body))) {
        fuzz::PlayOneYear();
    } else if (fuzz::StateBytes() != before) {
        std::fprintf(stderr, "a refused file changed the game\n");
        std::abort();
    }
    return 0;
}
