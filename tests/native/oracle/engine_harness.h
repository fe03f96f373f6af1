// Test inputs (seeded random bytes, GBK keys and extensions) and thin
// wrappers that run the engine's writers and readers over memory buffers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/format/nokey_container.h"
#include "engine/format/save_key_reader.h"
#include "engine/format/save_key_writer.h"
#include "platform/stream.h"
#include "tests/native/oracle/literal_containers.h"

namespace harness {

using oracle::Bytes;

// A reproducible sequence of random bytes 0..254. Two sequences built from the
// same seed hand out the same bytes, so the engine and the oracle can draw
// the same container randoms independently.
class SeededBytes {
 public:
  explicit SeededBytes(std::uint32_t seed) : gen_(seed) {}
  std::uint8_t operator()() { return static_cast<std::uint8_t>(gen_() % 255); }

 private:
  std::mt19937 gen_;
};

// A scripted sequence of draws; past its end it repeats `fallback`.
class ScriptedBytes {
 public:
  ScriptedBytes(std::vector<std::uint8_t> script, std::uint8_t fallback)
      : script_(std::move(script)), fallback_(fallback) {}
  std::uint8_t operator()() {
    const std::size_t at = drawn_++;
    return at < script_.size() ? script_[at] : fallback_;
  }
  // How many bytes were drawn, fallbacks included.
  std::size_t Drawn() const { return drawn_; }

 private:
  std::vector<std::uint8_t> script_;
  std::uint8_t fallback_;
  std::size_t drawn_ = 0;
};

inline Bytes RandomPayload(std::size_t size, std::uint32_t seed) {
  std::mt19937 gen(seed);
  Bytes out(size);
  for (auto& b : out) b = static_cast<std::uint8_t>(gen());
  return out;
}

// GBK text of exactly `length` bytes: printable ASCII, now and then a line
// break, and (when `gbk`) double-byte characters, never split.
inline Bytes RandomGbkText(std::mt19937& gen, std::size_t length, bool gbk) {
  Bytes out;
  while (out.size() < length) {
    const std::size_t left = length - out.size();
    const unsigned pick = gen() % 16;
    if (gbk && left >= 2 && pick < 8) {
      out.push_back(static_cast<std::uint8_t>(0x81 + gen() % (0xFE - 0x81 + 1)));
      std::uint8_t trail = static_cast<std::uint8_t>(0x40 + gen() % (0xFE - 0x40 + 1));
      if (trail == 0x7F) trail = 0x80;
      out.push_back(trail);
    } else if (left >= 2 && pick == 8) {
      out.push_back('\r');
      out.push_back('\n');
    } else {
      out.push_back(static_cast<std::uint8_t>(0x20 + gen() % (0x7E - 0x20 + 1)));
    }
  }
  return out;
}

// An extension of `length` bytes (0, or 2 and more): a dot, then letters,
// digits and, when `gbk`, double-byte characters.
inline Bytes RandomExtension(std::mt19937& gen, std::size_t length, bool gbk) {
  Bytes out;
  if (length == 0) return out;
  out.push_back('.');
  static constexpr char kPlain[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  while (out.size() < length) {
    const std::size_t left = length - out.size();
    if (gbk && left >= 2 && gen() % 2 == 0) {
      // Rows 0xB0..0xD6 hold assigned characters in every column 0xA1..0xFE.
      out.push_back(static_cast<std::uint8_t>(0xB0 + gen() % (0xD6 - 0xB0 + 1)));
      out.push_back(static_cast<std::uint8_t>(0xA1 + gen() % (0xFE - 0xA1 + 1)));
    } else {
      out.push_back(static_cast<std::uint8_t>(kPlain[gen() % (sizeof(kPlain) - 1)]));
    }
  }
  return out;
}

inline std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Where two byte strings first differ, for failure messages that do not dump
// megabytes.
inline ::testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  const std::size_t common = std::min(expected.size(), actual.size());
  std::size_t at = 0;
  while (at < common && expected[at] == actual[at]) ++at;
  std::ostringstream text;
  text << "lengths " << expected.size() << " (expected) vs " << actual.size() << " (actual); first difference at "
       << at;
  if (at < common) {
    text << ": expected 0x" << std::hex << int{expected[at]} << ", actual 0x" << int{actual[at]};
  }
  return ::testing::AssertionFailure() << text.str();
}

// ---------------------------------------------------------------- engine side

class RecordingEvents : public engine::ReaderEvents {
 public:
  void Report(std::string text) override { reports.push_back(std::move(text)); }
  bool AskTryNewerVersion() override {
    ++questions;
    return false;
  }
  void Status(std::string_view) override {}

  std::vector<std::string> reports;
  int questions = 0;
};

struct EngineWrite {
  engine::WriteResult result = engine::WriteResult::kDone;
  Bytes bytes;
};

inline EngineWrite EngineWriteSaveKey(const Bytes& payload, const engine::SaveKeyOptions& options,
                                      const platform::RandomByteSource& random) {
  platform::MemorySource source(payload);
  platform::MemorySink sink;
  engine::RunFlag running{true};
  engine::BodyMonitor monitor{running, {}};
  EngineWrite out;
  out.result = engine::WriteSaveKeyContainer(source, sink, options, random, monitor);
  out.bytes = sink.Bytes();
  return out;
}

inline EngineWrite EngineWriteNoKey(const Bytes& payload, const Bytes& key, int version,
                                    const platform::RandomByteSource& random) {
  platform::MemorySource source(payload);
  platform::MemorySink sink;
  engine::RunFlag running{true};
  engine::BodyMonitor monitor{running, {}};
  EngineWrite out;
  const std::string keyText = AsString(key);
  out.result = engine::WriteNoKeyContainer(source, sink, keyText, version, random, monitor);
  out.bytes = sink.Bytes();
  return out;
}

struct EngineRead {
  engine::OpenResult result = engine::OpenResult::kNotContainer;
  std::vector<std::string> reports;
  int questions = 0;
  std::optional<engine::OpenedContainer> container;
  bool bodyDone = false;
  Bytes payload;
};

// Opens the container lying at [start, start + size) of `file` and, when it
// opens, deciphers its body.
inline EngineRead EngineReadSaveKey(const Bytes& file, const Bytes& key, std::uint64_t start, std::uint64_t size) {
  platform::MemorySource source(file);
  RecordingEvents events;
  engine::RunFlag running{true};
  const engine::ContainerSpan span{start, size};
  engine::OpenOutcome outcome = engine::OpenSaveKeyContainer(source, span, engine::ByteSpan(key), events, running);
  EngineRead out;
  out.result = outcome.result;
  out.container = outcome.container;
  if (outcome.result == engine::OpenResult::kOpened && outcome.container) {
    platform::MemorySink sink;
    engine::BodyMonitor monitor{running, {}};
    out.bodyDone = engine::DecryptSaveKeyBody(source, span, *outcome.container, sink, monitor);
    out.payload = sink.Bytes();
  }
  out.reports = events.reports;
  out.questions = events.questions;
  return out;
}

inline EngineRead EngineReadSaveKey(const Bytes& file, const Bytes& key) {
  return EngineReadSaveKey(file, key, 0, file.size());
}

struct EngineNoKeyRead {
  std::optional<engine::NoKeyHeader> header;
  bool streamBuilt = false;
  bool bodyDone = false;
  Bytes payload;
};

inline EngineNoKeyRead EngineReadNoKey(const Bytes& file, const Bytes& key) {
  EngineNoKeyRead out;
  platform::MemorySource source(file);
  out.header = engine::ReadNoKeyHeader(source);
  if (!out.header) return out;
  engine::RunFlag running{true};
  const std::string keyText = AsString(key);
  auto stream = engine::NoKeyStream(keyText, out.header->version, out.header->salt, running);
  if (!stream) return out;
  out.streamBuilt = true;
  const std::int64_t payloadSize = out.header->PayloadSize(file.size());
  if (payloadSize < 1) return out;
  platform::MemorySink sink;
  engine::BodyMonitor monitor{running, {}};
  out.bodyDone = engine::DecryptNoKeyBody(source, *out.header, *stream, key.front(),
                                          static_cast<std::uint64_t>(payloadSize), sink, monitor);
  out.payload = sink.Bytes();
  return out;
}

// The same container randoms drawn for the engine and for the oracle from
// one seed, in the engine's draw order.
inline oracle::SaveKeyInput OracleInputFor(const engine::SaveKeyOptions& options, std::uint32_t seed) {
  SeededBytes draw(seed);
  oracle::SaveKeyInput in;
  in.key = Bytes(options.key.begin(), options.key.end());
  in.version = options.version;
  in.compression = options.compression;
  in.layers = options.layers;
  in.extension = Bytes(options.extension.begin(), options.extension.end());
  in.randoms = oracle::DrawSaveKeyRandoms(in.key.size(), in.version, std::ref(draw));
  return in;
}

inline engine::SaveKeyOptions Options(const Bytes& key, int version, const Bytes& extension,
                                      std::uint8_t compression = 0, std::uint8_t layers = 1) {
  engine::SaveKeyOptions o;
  o.key = AsString(key);
  o.version = version;
  o.extension = AsString(extension);
  o.compression = compression;
  o.layers = layers;
  return o;
}

inline std::size_t FilledLength(std::size_t keyLength) { return std::max<std::size_t>(keyLength, 12); }

}  // namespace harness
