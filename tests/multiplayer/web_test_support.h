// Helpers of the web client tests: bounded waiting and a listing server on loopback.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "tools/listing_server.h"

namespace kordalt::test {

// Polls `done` every 10 ms until it holds or `limitMs` has passed.
inline bool WaitUntil(const std::function<bool()>& done, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline std::string LoopbackUrl(int port, const std::string& path = "/") {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

// A listing server started on a free loopback port.
struct RunningListingServer {
    RunningListingServer() : Port(Server.Start(0)), Url(LoopbackUrl(Port, "/list.php")) {}
    ListingServer Server;
    const int Port;
    const std::string Url;
};

}  // namespace kordalt::test
