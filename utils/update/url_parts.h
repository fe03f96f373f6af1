// The download thread's view of a URL: the host (with an optional ":port")
// up to the next "/", and the object path from that "/" on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace utils {

struct UrlParts {
  std::string host;    // without the port
  std::uint16_t port = 80;
  std::string object;  // "/..." or empty
  bool secure = false; // "https://": TLS on port 443
};

// The host starts after the first "://" (or at the start when there is
// none). A host "name:port" connects to that port; an unreadable port leaves
// host and object empty.
UrlParts SplitUrl(std::string_view url);

}  // namespace utils
