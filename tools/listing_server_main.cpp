// listing_server PORT: serves the game-listing requests on 127.0.0.1:PORT (0: any
// free port) and prints the bound port. Ends on SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/listing_server.h"

int main(int argc, char** argv) {
    char* end = nullptr;
    const long port = argc == 2 ? std::strtol(argv[1], &end, 10) : -1;
    if (argc != 2 || end == argv[1] || *end != '\0' || port < 0 || port > 65535) {
        std::fprintf(stderr, "usage: listing_server PORT (0 for any free port)\n");
        return 2;
    }
    // Blocked before any thread starts, so only sigwait below takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    kordalt::ListingServer server;
    const int bound = server.Start(static_cast<int>(port));
    if (bound < 0) {
        std::fprintf(stderr, "listing_server: cannot bind 127.0.0.1:%ld\n", port);
        return 1;
    }
    std::printf("%d\n", bound);
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    return 0;
}
