// This machine's name and addresses.
#include "platform/host_address.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <regex>

namespace kordalt {
namespace {

TEST(HostAddress, NameAndDottedAddresses) {
    std::string name;
    ASSERT_TRUE(LocalHostName(name));
    char expected[256] = {};
    gethostname(expected, sizeof expected - 1);
    EXPECT_EQ(name, std::string(expected).substr(0, 64));

    std::vector<std::string> addresses{"stale"};
    ASSERT_TRUE(LocalHostAddresses(addresses)) << "the host name " << name << " resolves on the test machine";
    const std::regex dotted(R"((\d{1,3}\.){3}\d{1,3})");
    for (const std::string& a : addresses) EXPECT_TRUE(std::regex_match(a, dotted)) << a;
    // The loopback interface is up on every test machine.
    EXPECT_NE(std::find(addresses.begin(), addresses.end(), "127.0.0.1"), addresses.end());
}

}  // namespace
}  // namespace kordalt
