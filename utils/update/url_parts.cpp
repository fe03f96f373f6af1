#include "utils/update/url_parts.h"

#include <cctype>

namespace utils {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

// "1".."65535", digits only.
bool ParsePort(std::string_view digits, std::uint16_t& port) {
  if (digits.empty() || digits.size() > 5) return false;
  std::uint32_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

UrlParts SplitUrl(std::string_view url) {
  UrlParts parts;
  parts.secure = StartsWithNoCase(url, "https://");
  parts.port = parts.secure ? 443 : 80;
  const std::size_t scheme = url.find("://");
  const std::size_t hostStart = scheme == std::string_view::npos ? 0 : scheme + 3;
  const std::size_t slash = url.find('/', hostStart);
  std::string_view host = url.substr(hostStart, slash == std::string_view::npos ? std::string_view::npos
                                                                                 : slash - hostStart);
  if (slash != std::string_view::npos) parts.object = std::string(url.substr(slash));
  const std::size_t colon = host.rfind(':');
  if (colon != std::string_view::npos) {
    if (!ParsePort(host.substr(colon + 1), parts.port)) return UrlParts{};
    host = host.substr(0, colon);
  }
  parts.host = std::string(host);
  return parts;
}

}  // namespace utils
