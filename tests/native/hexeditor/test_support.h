// Helpers shared by the hex editor tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "hexeditor/editor/custom_hex_editor.h"

namespace hexed::test {

using Bytes = std::vector<std::uint8_t>;

inline void Load(TCustomQDHexEditor& e, const Bytes& bytes) {
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  e.LoadData(in);
}

inline Bytes Content(const TCustomQDHexEditor& e) {
  return e.BytesAt(0, e.DataSize());
}

inline Bytes Sequence(int n, int start = 0) {
  Bytes b(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(start + i);
  return b;
}

// A host that records what the model asked of it.
struct RecordingHost : HexEditorHost {
  int posts = 0;
  int fontChanges = 0;
  int caretShapeChanges = 0;
  std::vector<std::string> messages;
  std::vector<bool> busy;
  void PostSelectionChanged() override { ++posts; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void SetBusyCursor(bool on) override { busy.push_back(on); }
  void FontChanged() override { ++fontChanges; }
  void CaretShapeChanged() override { ++caretShapeChanges; }
};

// A folder of its own under the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("hexed_test_" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& p, const Bytes& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace hexed::test
