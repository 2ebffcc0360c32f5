#include "platform/host_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kordalt {
namespace {

constexpr size_t kMaxHostName = 64;

bool Resolves(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) return false;
    freeaddrinfo(found);
    return true;
}

}  // namespace

bool LocalHostName(std::string& name) {
    char buffer[kMaxHostName + 1] = {};
    if (gethostname(buffer, kMaxHostName) != 0) return false;
    name = buffer;
    return !name.empty();
}

bool LocalHostAddresses(std::vector<std::string>& addresses) {
    addresses.clear();
    std::string name;
    if (!LocalHostName(name) || !Resolves(name)) return false;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(entry->ifa_flags & IFF_UP))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) addresses.emplace_back(text);
    }
    freeifaddrs(list);
    return true;
}

}  // namespace kordalt
