// Finding sessions: a TCP query to a named host, or a UDP broadcast.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/session/address.h"
#include "platform/session/service_options.h"
#include "platform/session/wire.h"

namespace kordalt::dplay {

// One session as a host describes it.
struct SessionOffer {
    GUID instance{};
    GUID application{};
    std::string name;
    uint32_t flags = 0;
    uint32_t maxPlayers = 0;
    uint32_t currentPlayers = 0;
    std::string host;  // empty in a reply: the address the reply came from
    uint16_t port = 0;
};

std::vector<uint8_t> EnumRequestFrame(const GUID& application);
std::vector<uint8_t> EnumReplyFrame(const SessionOffer& offer);
// Reads the body of an enumeration reply after its type byte.
bool ReadEnumReply(WireReader& r, SessionOffer& offer);

// The broadcast address of every IPv4 interface that has one (the loopback
// network's included).
std::vector<std::string> InterfaceBroadcastAddresses();

// Where a broadcast enumeration goes: the options' list when given; else with a
// loopback bind address only 127.255.255.255, with another bind address the
// broadcast address of its interface, without one every interface's.
std::vector<std::string> BroadcastTargets(const ServiceOptions& options);

// Sessions of `application` that answer within `timeout`.
std::vector<SessionOffer> FindSessions(const ServiceOptions& options, const ConnectionAddress& where,
                                       const GUID& application, std::chrono::milliseconds timeout);

}  // namespace kordalt::dplay
