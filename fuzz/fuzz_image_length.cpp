// The PE image-length reader on any bytes: it either refuses the file or
// names a length inside it, and the file reader and the memory reader agree.
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/file.h"
#include "sfx/image_length.h"

namespace {

std::optional<std::uint64_t> Length(platform::ByteSource& source) {
  try {
    return sfx::ImageLength(source);
  } catch (const sfx::ImageError&) {
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::MemorySource memory(std::vector<std::uint8_t>(data, data + size));
  const std::optional<std::uint64_t> length = Length(memory);
  if (length) fuzz::Check(*length >= 64 + 4 + 20 && *length <= size, "the image lies inside the file past its headers");

  fuzz::RunFolder& run = fuzz::RunFolder::Get();
  run.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  platform::InputFile file(run.Put("stub.exe", bytes));
  fuzz::Check(Length(file) == length, "the file and the memory reader agree");
  return 0;
}
