#include "engine/aead/writer.h"

#include <algorithm>
#include <stdexcept>

#include "engine/aead/chunk_stream.h"
#include "engine/compression/parallel_deflate.h"

namespace engine::aead {

ContainerWriter::ContainerWriter(platform::ByteSink& out, const WriteOptions& options, const Secret& master,
                                 std::uint64_t contentSize)
    : expected_(contentSize) {
  const Header& h = options.header;
  if (options.compression > 3 || options.extension.size() > kMaxExtensionBytes || !ParamsInRange(h.kdfParams) ||
      h.chunkExponent < kMinChunkExponent || h.chunkExponent > kMaxChunkExponent)
    throw std::invalid_argument("options outside the authenticated format");
  const auto fields = EncodeHeaderFields(h);
  const FileKeys keys = DeriveFileKeys(master, h.fileSalt);
  const Mac mac = HeaderMac(keys, {fields.data(), fields.size()});
  out.Write(fields.data(), fields.size());
  out.Write(mac.data(), mac.size());

  chunks_ = std::make_unique<ChunkSealSink>(out, keys.payloadKey.span(), h.chunkExponent);
  const Bytes record = EncodeMetadata({options.compression, options.extension, contentSize});
  chunks_->Write(record.data(), record.size());
  if (options.compression > 0)
    deflate_ = std::make_unique<ParallelDeflateSink>(*chunks_, ZlibLevel(options.compression));
}

ContainerWriter::~ContainerWriter() = default;

void ContainerWriter::Write(const void* data, std::size_t size) {
  written_ += size;
  if (deflate_) deflate_->Write(data, size);
  else chunks_->Write(data, size);
}

void ContainerWriter::Finish() {
  if (written_ != expected_) throw std::logic_error("the content's size differs from the stated size");
  if (deflate_) static_cast<ParallelDeflateSink&>(*deflate_).Finish();
  chunks_->Finish();
}

bool EncryptStream(platform::ByteSource& plain, platform::ByteSink& out, const WriteOptions& options,
                   const Secret& master, BodyMonitor& monitor) {
  const std::uint64_t start = plain.Position();
  const std::uint64_t total = plain.Size() - start;
  ContainerWriter writer(out, options, master, total);
  Bytes buffer(static_cast<std::size_t>(std::clamp<std::uint64_t>(total, 1, std::uint64_t{4} << 20)));
  std::uint64_t done = 0;
  while (done < total) {
    if (!monitor.running) return false;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), total - done));
    plain.ReadExact(buffer.data(), n);
    writer.Write(buffer.data(), n);
    done += n;
    if (monitor.advance) monitor.advance(done, n);
  }
  if (!monitor.running) return false;
  writer.Finish();
  return true;
}

}  // namespace engine::aead
