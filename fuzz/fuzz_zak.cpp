// Expanding a compressed-only (.zak) file on the compression component. zlib
// itself, in one piece, is the reference: the component succeeds exactly when
// the stream is complete, and then writes exactly its bytes.
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>

#include "engine/compression/zn_zip.h"
#include "fuzz/fuzz_support.h"

namespace {

// The plain bytes of a complete zlib stream at the start of `in` (bytes after
// its end are ignored); empty when the stream is damaged or cut short.
std::optional<std::string> Inflated(const std::uint8_t* in, std::size_t size) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(size);
  std::string out;
  char buffer[1 << 16];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    rc = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END) return std::nullopt;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::RunFolder& run = fuzz::RunFolder::Get();
  run.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::fs::path source = run.Put("sample.zak", bytes);

  engine::TZnZip zip;
  zip.SourceFile = source;
  const fuzz::fs::path folder = run.out;
  zip.DestNames = [folder](unsigned n) {
    return folder / (n ? "sample(" + std::to_string(n) + ")" : std::string("sample"));
  };
  zip.DestFile = zip.DestNames(0);

  const fuzz::TimeBound bound(fuzz::kJobBound);
  const bool success = zip.RunDecompression();
  bound.Check("the expansion");

  const fuzz::fs::path output = fuzz::CheckJobOutcome(run, source, bytes, success);
  const std::optional<std::string> expected = Inflated(data, size);
  fuzz::Check(success == expected.has_value(), "the expansion succeeds exactly for a complete stream");
  if (success) {
    fuzz::Check(output == zip.DestFile, "DestFile names the result");
    fuzz::Check(fuzz::ReadAll(output) == *expected, "the expansion writes the stream's bytes");
  }
  return 0;
}
