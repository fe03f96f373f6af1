#include "utils/update/web_address.h"

#include <cctype>

namespace utils {
namespace {

std::size_t SchemeLength(std::string_view address) {
  for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    if (address.size() < scheme.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < scheme.size(); ++i)
      same = same && std::tolower(static_cast<unsigned char>(address[i])) == scheme[i];
    if (same) return scheme.size();
  }
  return 0;
}

bool IsHostName(std::string_view host) {
  if (host.empty() || host.front() == '.' || host.front() == '-') return false;
  for (char c : host)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.') return false;
  return true;
}

bool IsPort(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return false;
  for (char c : digits)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

bool IsSafeRest(std::string_view rest) {
  for (char c : rest) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '"' || c == '\\' || c == '<' || c == '>' || c == '`' || c == '|' ||
        c == '^' || c == '{' || c == '}')
      return false;
  }
  return true;
}

}  // namespace

bool IsWebAddress(std::string_view address) {
  const std::size_t scheme = SchemeLength(address);
  if (scheme == 0) return false;
  std::string_view rest = address.substr(scheme);
  const std::size_t end = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
  const std::size_t colon = authority.find(':');
  if (colon != std::string_view::npos) {
    if (!IsPort(authority.substr(colon + 1))) return false;
    authority = authority.substr(0, colon);
  }
  return IsHostName(authority) && IsSafeRest(rest);
}

}  // namespace utils
