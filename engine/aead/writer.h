// Writes an authenticated container: the header, then the metadata record
// and the content (deflated in the pipeline when asked), cut into chunks and
// sealed on every core.
#pragma once

#include <memory>

#include "engine/aead/header.h"
#include "engine/aead/metadata.h"
#include "engine/cipher/body_pump.h"
#include "platform/stream.h"

namespace engine::aead {

class ChunkSealSink;

struct WriteOptions {
  Header header;          // parameters, chunk exponent and both salts
  std::uint8_t compression = 0;
  std::string extension;  // UTF-8 with its ".", or empty; at most 255 bytes
};

// Takes the content written into it; the container is complete after Finish.
class ContainerWriter final : public platform::ByteSink {
 public:
  // Writes the header at once. `contentSize` is the exact size of the content
  // to come. Throws std::invalid_argument for options outside the format.
  ContainerWriter(platform::ByteSink& out, const WriteOptions& options, const Secret& master,
                  std::uint64_t contentSize);
  ~ContainerWriter() override;
  void Write(const void* data, std::size_t size) override;
  // Throws std::logic_error when the content did not have its stated size.
  void Finish();

 private:
  std::uint64_t expected_;
  std::uint64_t written_ = 0;
  std::unique_ptr<ChunkSealSink> chunks_;
  std::unique_ptr<platform::ByteSink> deflate_;
};

// Encrypts the rest of `plain` (from its position to its end) into `out` in
// large blocks; false when the monitor's flag dropped.
bool EncryptStream(platform::ByteSource& plain, platform::ByteSink& out, const WriteOptions& options,
                   const Secret& master, BodyMonitor& monitor);

}  // namespace engine::aead
