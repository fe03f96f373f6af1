#include "utils/update/profile_ini.h"

#include <cctype>

#include "platform/text.h"

namespace utils {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

std::string GbkToUtf8Lossy(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size());
  for (std::size_t i = 0; i < gbk.size();) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    const std::size_t length = (byte == 0x80 || byte == 0xFF || i + 1 == gbk.size()) ? 1 : 2;
    const auto decoded = length == 2 ? platform::GbkToUtf8(gbk.substr(i, 2)) : std::nullopt;
    if (decoded) {
      out += *decoded;
      i += 2;
    } else {
      out += kReplacement;
      ++i;
    }
  }
  return out;
}

ProfileIni ProfileIni::Parse(std::string_view gbkText) {
  ProfileIni ini;
  std::map<std::string, std::string>* current = nullptr;
  bool currentIsFirst = false;
  while (!gbkText.empty()) {
    const std::size_t end = gbkText.find('\n');
    const std::string_view line = Trim(gbkText.substr(0, end));
    gbkText = end == std::string_view::npos ? std::string_view{} : gbkText.substr(end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string name = Lower(Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1
                                                                                        : close - 1)));
      // A repeated section is not read: the first one wins.
      currentIsFirst = !ini.sections_.contains(name);
      current = &ini.sections_[name];
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!current || !currentIsFirst || equals == std::string_view::npos) continue;
    const std::string key = Lower(Trim(line.substr(0, equals)));
    if (key.empty() || current->contains(key)) continue;
    (*current)[key] = GbkToUtf8Lossy(Unquote(Trim(line.substr(equals + 1))));
  }
  return ini;
}

bool ProfileIni::HasKey(std::string_view section, std::string_view key) const {
  return Read(section, key).has_value();
}

std::optional<std::string> ProfileIni::Read(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(Lower(section));
  if (s == sections_.end()) return std::nullopt;
  const auto k = s->second.find(Lower(key));
  if (k == s->second.end()) return std::nullopt;
  return k->second;
}

std::int32_t ProfileIni::ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const {
  const auto value = Read(section, key);
  if (!value || value->empty()) return fallback;
  std::string_view digits = *value;
  bool negative = false;
  if (digits.front() == '-' || digits.front() == '+') {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  int base = 10;
  if (digits.starts_with("$")) {
    base = 16;
    digits.remove_prefix(1);
  } else if (digits.starts_with("0x") || digits.starts_with("0X")) {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty()) return fallback;
  std::int64_t result = 0;
  for (char c : digits) {
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : base == 16 && std::isxdigit(static_cast<unsigned char>(c))
                          ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                          : -1;
    if (digit < 0) return fallback;
    result = result * base + digit;
    if (result > 0xFFFFFFFFLL) return fallback;
  }
  if (base == 10 && result > (negative ? 2147483648LL : 2147483647LL)) return fallback;
  return static_cast<std::int32_t>(negative ? -result : result);
}

}  // namespace utils
