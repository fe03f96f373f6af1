// Compresses a file the way the product does (65,535-byte reads into the
// parallel compressor) or expands one in a single pass through InflateSink.
// Usage: compression_bench compress <level> <threads> <in> <out>
//        compression_bench decompress <in> <out>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "engine/bytes.h"
#include "engine/compression/inflate_sink.h"
#include "engine/compression/parallel_deflate.h"
#include "platform/file.h"

namespace {

constexpr std::size_t kChunk = 65535;

platform::OutputFile Create(const std::filesystem::path& path) {
  std::optional<platform::OutputFile> out = platform::OutputFile::CreateNew(path);
  if (!out) throw platform::IoError("already exists: " + path.string());
  return std::move(*out);
}

template <typename Sink>
void Pump(platform::InputFile& in, Sink& sink) {
  engine::Bytes buffer(kChunk);
  for (;;) {
    const std::size_t n = in.Read(buffer.data(), buffer.size());
    if (n == 0) break;
    sink.Write(buffer.data(), n);
  }
  sink.Finish();
}

int Usage() {
  std::fprintf(stderr,
               "usage: compression_bench compress <level> <threads> <in> <out>\n"
               "       compression_bench decompress <in> <out>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "compress" && argc == 6) {
      platform::InputFile in(argv[4]);
      platform::OutputFile out = Create(argv[5]);
      engine::ParallelDeflateSink deflate(out, std::atoi(argv[2]), static_cast<unsigned>(std::atoi(argv[3])));
      Pump(in, deflate);
      out.Close();
      return 0;
    }
    if (mode == "decompress" && argc == 4) {
      platform::InputFile in(argv[2]);
      platform::OutputFile out = Create(argv[3]);
      engine::InflateSink inflate(out);
      Pump(in, inflate);
      out.Close();
      return 0;
    }
    return Usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "compression_bench: %s\n", e.what());
    return 1;
  }
}
