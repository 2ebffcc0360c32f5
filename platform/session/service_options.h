// Settings of the network service: local address, port, timers, limits.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kordalt::dplay {

constexpr uint16_t kDefaultPort = 23611;

struct ServiceOptions {
    std::string bindAddress;       // local IPv4 address of every socket; empty: any
    uint16_t port = kDefaultPort;  // hosting and enumeration, unless the address names a port
    std::chrono::milliseconds keepAliveTimeout{15000};  // a link silent this long is dead
    std::chrono::milliseconds enumTimeout{1000};        // EnumSessions with a time-out of 0
    std::chrono::milliseconds connectTimeout{3000};     // joining a host
    uint32_t maxFrameSize = 4u << 20;                   // larger frames close the link
    // Links that have not joined: they send only frames this small, join within
    // connectTimeout, and there are at most so many of them from one address and in all.
    uint32_t maxUnjoinedFrame = 1024;
    size_t maxUnjoinedPerAddress = 8;
    size_t maxUnjoinedLinks = 64;
    std::vector<std::string> broadcastAddresses;  // empty: every interface's broadcast address

    // Defaults, overridden by KORDALT_DPLAY_BIND, KORDALT_DPLAY_PORT and
    // KORDALT_DPLAY_KEEPALIVE_MS when they are set.
    static ServiceOptions FromEnvironment();
};

}  // namespace kordalt::dplay
