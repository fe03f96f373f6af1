// Errors raised by the hex editor model.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace hexed {

// The component's own error: a plain error with an English message.
class EQDHexEditor : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file could not be opened, created, read or written.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The data does not fit in memory; also raised for files of 2 GiB and more.
class OutOfMemoryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Fills the %s, %d and %x markers of `pattern` in order with the given texts
// (the caller formats numbers).
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace hexed
