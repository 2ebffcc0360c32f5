#include "platform/http_client.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <mutex>

namespace kordalt {
namespace {

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
template <class T>
using CurlPtr = std::unique_ptr<T, CurlDeleter>;

struct Failure {
    std::string step;
};

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The URL must name a host (the text after "://", less any "user@" and ":port")
// followed by "/" or "\", and curl must be able to read it.
void CheckHostAndPath(const std::string& url) {
    const size_t start = url.find("://");
    const size_t end = start == std::string::npos ? start : url.find_first_of("/\\", start + 3);
    if (end == std::string::npos) throw Failure{"url"};
    std::string_view host = std::string_view(url).substr(start + 3, end - start - 3);
    if (const size_t at = host.rfind('@'); at != std::string_view::npos) host.remove_prefix(at + 1);
    host = host.substr(0, host.find(':'));
    CurlPtr<CURLU> parts(curl_url());
    if (host.empty() || !parts || curl_url_set(parts.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        throw Failure{"url"};
}

// Fails the transfer when neither a byte is sent nor one received for the step time-out.
// Also fails it when the caller cancels.
struct Watchdog {
    std::chrono::milliseconds limit;
    const std::function<bool()>& cancel;
    curl_off_t sent = 0, received = 0;
    std::chrono::steady_clock::time_point lastProgress = std::chrono::steady_clock::now();
    bool stalled = false;
    bool cancelled = false;
};

int CheckProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
    auto* dog = static_cast<Watchdog*>(user);
    const auto now = std::chrono::steady_clock::now();
    if (sent != dog->sent || received != dog->received) {
        dog->sent = sent;
        dog->received = received;
        dog->lastProgress = now;
    }
    dog->stalled = now - dog->lastProgress > dog->limit;
    dog->cancelled = dog->cancel && dog->cancel();
    return dog->stalled || dog->cancelled ? 1 : 0;
}

template <class V>
void SetOption(CURL* c, CURLoption option, V value) {
    if (curl_easy_setopt(c, option, value) != CURLE_OK) throw Failure{"InternetSetOption"};
}

struct Sink {
    std::string* body;
    size_t limit;
    bool overflow = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (sink->body->size() + n > sink->limit) {
        sink->overflow = true;
        return 0;  // makes curl abort the transfer
    }
    sink->body->append(data, n);
    return n;
}

std::string StepOf(CURLcode code, const Sink& sink, const Watchdog& dog) {
    if (sink.overflow) return "alloc memory";
    if (dog.cancelled) return "cancelled";
    if (dog.stalled) return "InternetReadFile";
    switch (code) {
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return "url";
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return "InternetConnect";
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
        case CURLE_OPERATION_TIMEDOUT:
            return "InternetReadFile";
        default:
            return "HttpSendRequestEx";
    }
}

}  // namespace

HttpPostResult HttpPostRaw(const std::string& url, std::string_view data, const HttpPostOptions& options) {
    HttpPostResult result;
    try {
        InitCurlOnce();
        CurlPtr<CURL> curl(curl_easy_init());
        if (!curl) throw Failure{"InternetOpen"};
        CURL* c = curl.get();
        SetOption(c, CURLOPT_NOSIGNAL, 1L);
        SetOption(c, CURLOPT_USERAGENT, options.Agent.c_str());
        SetOption(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.StepTimeoutMs));
        SetOption(c, CURLOPT_TIMEOUT_MS, static_cast<long>(options.TotalTimeoutMs));
        SetOption(c, CURLOPT_PROTOCOLS_STR, "http,https");

        CheckHostAndPath(url);
        SetOption(c, CURLOPT_URL, url.c_str());

        curl_slist* list = curl_slist_append(nullptr, ("Content-Type: " + options.ContentType).c_str());
        CurlPtr<curl_slist> headers(list);
        for (const char* h : {"Accept: */*", "Cache-Control: no-cache", "Expect:"}) {
            if (list) list = curl_slist_append(list, h);
        }
        if (!list) throw Failure{"HttpAddRequestHeaders"};
        SetOption(c, CURLOPT_HTTPHEADER, headers.get());
        SetOption(c, CURLOPT_POST, 1L);
        SetOption(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(data.size()));
        SetOption(c, CURLOPT_POSTFIELDS, data.data());

        Sink sink{&result.Body, options.MaxReplySize};
        SetOption(c, CURLOPT_WRITEFUNCTION, &WriteBody);
        SetOption(c, CURLOPT_WRITEDATA, &sink);
        Watchdog dog{std::chrono::milliseconds(options.StepTimeoutMs), options.Cancelled};
        SetOption(c, CURLOPT_XFERINFOFUNCTION, &CheckProgress);
        SetOption(c, CURLOPT_XFERINFODATA, &dog);
        SetOption(c, CURLOPT_NOPROGRESS, 0L);

        const CURLcode code = curl_easy_perform(c);
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        result.Status = static_cast<int>(status);
        if (code != CURLE_OK) throw Failure{StepOf(code, sink, dog) + ": " + curl_easy_strerror(code)};
        if (status == 401) throw Failure{"HttpQueryInfo"};
        result.Ok = true;
    } catch (const Failure& f) {
        result.Ok = false;
        result.Body.clear();
        result.Error = f.step;
    }
    return result;
}

}  // namespace kordalt
