#pragma once
// The origin of a web address, written the way a browser writes
// `location.origin`, so addresses the shell holds and origins a page reports
// compare as text.
#include <string>

namespace nimbo {

// "scheme://host" plus ":port" unless it is the scheme's default (80 for http,
// 443 for https); scheme and host lower-cased. "null" for anything that is not
// an http or https address with a host, as a browser says for such documents.
std::string webOrigin(const std::string& address);

}  // namespace nimbo
