#include "platform/session/service_options.h"

#include <cstdlib>
#include <string>

namespace kordalt::dplay {
namespace {

bool ReadNumber(const char* name, unsigned long max, unsigned long& out) {
    const char* text = std::getenv(name);
    if (!text || !*text) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text, &end, 10);
    if (*end || v == 0 || v > max) return false;
    out = v;
    return true;
}

}  // namespace

ServiceOptions ServiceOptions::FromEnvironment() {
    ServiceOptions o;
    if (const char* bind = std::getenv("KORDALT_DPLAY_BIND")) o.bindAddress = bind;
    unsigned long v = 0;
    if (ReadNumber("KORDALT_DPLAY_PORT", 65535, v)) o.port = static_cast<uint16_t>(v);
    if (ReadNumber("KORDALT_DPLAY_KEEPALIVE_MS", 3600000, v))
        o.keepAliveTimeout = std::chrono::milliseconds(v);
    return o;
}

}  // namespace kordalt::dplay
