// Replies that cannot be trusted: no markers, wrong status, too long, too slow,
// no server at all, and URLs that must not be posted to.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "multiplayer/web_protocol.h"
#include "platform/http_client.h"
#include "platform/support.h"
#include "web_test_support.h"

namespace kordalt {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// A loopback port that was free a moment ago and has no listener.
int UnusedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    close(fd);
    return bound ? ntohs(address.sin_port) : 1;
}

// A loopback server whose paths answer badly in different ways.
class BadServer : public ::testing::Test {
protected:
    void SetUp() override {
        Reply("/plain", 200, "msg=okmsgend");
        Reply("/garbage", 200, std::string("\x00\xff<html>msg", 10) + "\n\r~;");
        Reply("/nothing-between", 200, "msg=msgend");
        Reply("/reversed", 200, "msgend msg=ok");
        Reply("/status500", 500, "msg=okmsgend");
        Reply("/status404", 404, "<h1>no</h1>");
        Reply("/status401", 401, "msg=okmsgend");
        Reply("/huge", 200, "msg=" + std::string(2 << 20, 'x') + "msgend");
        Reply("/empty", 200, "");
        http_.Post("/silent", [this](const httplib::Request&, httplib::Response& res) {
            Stall(10000);
            res.set_content("msg=latemsgend", "text/plain");
        });
        http_.Post("/trickle", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain", [this](size_t, httplib::DataSink& sink) {
                Stall(300);
                return !stopping_ && sink.write("m", 1);
            });
        });
        port_ = http_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { http_.listen_after_bind(); });
    }
    void TearDown() override {
        stopping_ = true;
        http_.stop();
        if (thread_.joinable()) thread_.join();
    }
    void Reply(const std::string& path, int status, const std::string& body) {
        http_.Post(path, [=, this](const httplib::Request&, httplib::Response& res) {
            ++requests_;
            res.status = status;
            res.set_content(body, "text/plain");
        });
    }
    // Sleeps up to `ms`, less when the server is being stopped.
    void Stall(int ms) {
        test::WaitUntil([this] { return stopping_.load(); }, ms);
    }
    std::string Url(const std::string& path) const { return test::LoopbackUrl(port_, path); }
    std::string Ask(const std::string& url) const {
        std::string reply = "stale";
        QueryServer(url, GameListRequest(), reply);
        return reply;
    }

    httplib::Server http_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
};

TEST_F(BadServer, QueryServerReplies) {
    struct Case {
        const char* path;
        std::string reply;
    };
    const Case cases[] = {
        {"/plain", "ok"},         {"/status500", "ok"}, {"/garbage", ""},
        {"/nothing-between", ""}, {"/reversed", ""},    {"/status404", ""},
        {"/status401", ""},       {"/huge", ""},        {"/empty", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Ask(Url(c.path)), c.reply) << c.path;
}

TEST_F(BadServer, FailingStepsAreNamed) {
    const int closedPort = UnusedPort();
    struct Case {
        std::string url, step;
    };
    const Case cases[] = {
        {Url("/status401"), "HttpQueryInfo"},
        {Url("/huge"), "alloc memory"},
        {test::LoopbackUrl(port_, ""), "url"},
        {"http:///path", "url"},
        {"http://user@:80/path", "url"},
        {"//127.0.0.1/path", "url"},
        {"no url at all", "url"},
        {"file:///etc/passwd", "url"},
        {"ftp://127.0.0.1:" + std::to_string(port_) + "/", "url"},
        {test::LoopbackUrl(closedPort), "InternetConnect"},
    };
    for (const Case& c : cases) {
        const HttpPostResult r = HttpPostRaw(c.url, "msg=msgend");
        EXPECT_FALSE(r.Ok) << c.url;
        EXPECT_TRUE(r.Body.empty()) << c.url;
        EXPECT_EQ(r.Error.substr(0, c.step.size()), c.step) << c.url << ": " << r.Error;
    }
}

TEST_F(BadServer, UrlWithoutPathNeverReachesTheServer) {
    ASSERT_EQ(Ask(Url("/plain")), "ok");
    EXPECT_EQ(Ask(test::LoopbackUrl(port_, "")), "");
    EXPECT_EQ(requests_, 1);
}

TEST_F(BadServer, HttpPostHandsOutTheWholeBodyOrNothing) {
    void* block = reinterpret_cast<void*>(1);
    int size = -1;
    ASSERT_TRUE(HttpPost(Url("/status500"), "x", 1, block, size));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(block), static_cast<size_t>(size)), "msg=okmsgend");
    FreeEC(block);

    for (const char* path : {"/huge", "/status401"}) {
        block = reinterpret_cast<void*>(1);
        size = -1;
        EXPECT_FALSE(HttpPost(Url(path), "x", 1, block, size)) << path;
        EXPECT_EQ(block, nullptr);
        EXPECT_EQ(size, 0);
    }
    EXPECT_FALSE(HttpPost(Url("/plain"), nullptr, 5, block, size));
    EXPECT_FALSE(HttpPost(Url("/plain"), "x", -1, block, size));
}

TEST_F(BadServer, SlowRepliesAreCutOff) {
    struct Case {
        const char* path;
        HttpPostOptions options;
    };
    HttpPostOptions silent;
    silent.StepTimeoutMs = 1000;
    HttpPostOptions trickle;
    trickle.TotalTimeoutMs = 1500;
    for (const Case& c : {Case{"/silent", silent}, Case{"/trickle", trickle}}) {
        const auto start = Clock::now();
        const HttpPostResult r = HttpPostRaw(Url(c.path), "msg=msgend", c.options);
        EXPECT_FALSE(r.Ok) << c.path;
        EXPECT_LT(Clock::now() - start, milliseconds(4000)) << c.path;
    }
}

TEST_F(BadServer, QueryServerGivesUpOnASilentServerWithinItsTimeOuts) {
    const auto start = Clock::now();
    EXPECT_EQ(Ask(Url("/silent")), "");
    const auto took = Clock::now() - start;
    EXPECT_GE(took, milliseconds(4000));
    EXPECT_LT(took, milliseconds(9000));
}

}  // namespace
}  // namespace kordalt
