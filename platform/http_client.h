// HTTP POST over libcurl: one request, one reply body held in memory.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kordalt {

struct HttpPostOptions {
    std::string Agent = "Kordalt";
    std::string ContentType = "application/x-www-form-urlencoded";
    // Connecting, and any stretch of a send or a receive without progress.
    int StepTimeoutMs = 5000;
    // The whole exchange, so that a server trickling bytes cannot hold it forever.
    int TotalTimeoutMs = 30000;
    // A longer body fails the exchange.
    size_t MaxReplySize = 1 << 20;
    // Asked as the exchange goes on (from its thread); true stops it as a failure.
    std::function<bool()> Cancelled;
};

struct HttpPostResult {
    bool Ok = false;
    int Status = 0;     // the server's status code, 0 when none was read
    std::string Body;   // the reply body when Ok
    std::string Error;  // the failing step when not Ok
};

// Posts `data` to an http or https URL. The URL must name a path after its host
// ("http://host/" or "http://host/path?query"); other schemes are refused.
// Status 401 fails; every other status is a success with its body.
HttpPostResult HttpPostRaw(const std::string& url, std::string_view data,
                           const HttpPostOptions& options = {});

}  // namespace kordalt
