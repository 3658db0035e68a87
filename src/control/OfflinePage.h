#pragma once
// What the control center shows while its server can't be reached.
#include <string>

namespace nimbo::OfflinePage {

// "host:port" of an address, the parts that are present.
std::string address(const std::string& url);
// A self-contained page naming the address (with "&" and "<" escaped).
std::string html(const std::string& address);

}  // namespace nimbo::OfflinePage
