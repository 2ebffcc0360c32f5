// This machine's host name and its IPv4 addresses as dotted text.
#pragma once

#include <string>
#include <vector>

namespace kordalt {

// The local host name, at most 64 characters; false when it cannot be read.
bool LocalHostName(std::string& name);

// The IPv4 addresses of this machine's interfaces that are up, in the order the
// system lists them. False, with the list empty, when the host name cannot be
// read or does not resolve.
bool LocalHostAddresses(std::vector<std::string>& addresses);

}  // namespace kordalt
