// The reading end of the plaintext stream: splits off the metadata record,
// expands the content when it is compressed and holds it to its stored size.
#pragma once

#include <memory>
#include <optional>

#include "engine/aead/metadata.h"
#include "engine/compression/inflate_sink.h"
#include "platform/stream.h"

namespace engine::aead {

// The stream breaks the format's rules after the chunks verified.
class PayloadError : public std::runtime_error {
 public:
  enum class Kind { kMetadata, kContent };
  PayloadError(Kind kind, const char* what) : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

class PayloadSink final : public platform::ByteSink {
 public:
  explicit PayloadSink(platform::ByteSink& content) : content_(content), counter_(*this) {}
  // Throws PayloadError; passes on what `content` throws.
  void Write(const void* data, std::size_t size) override;
  // Checks that the record was complete, the zlib stream ended with nothing
  // after it and the content has exactly the stored size.
  void Finish();
  // The record, once it was read.
  const std::optional<Metadata>& Record() const { return metadata_; }

 private:
  // Counts the content on its way out and stops it at the stored size, so a
  // crafted stream cannot fill the disk.
  class Counter final : public platform::ByteSink {
   public:
    explicit Counter(PayloadSink& owner) : owner_(owner) {}
    void Write(const void* data, std::size_t size) override;
    std::uint64_t count = 0;

   private:
    PayloadSink& owner_;
  };

  void Content(const std::uint8_t* data, std::size_t size);

  platform::ByteSink& content_;
  Counter counter_;
  Bytes head_;
  std::optional<Metadata> metadata_;
  std::unique_ptr<InflateSink> inflate_;
};

}  // namespace engine::aead
