// The parallel compressor: its streams must inflate exactly with zlib and with
// InflateSink, look like zlib's own (header, Adler-32 trailer), not depend on
// the thread count or write chunking, and fail and cancel cleanly.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/compression/inflate_sink.h"
#include "engine/compression/parallel_deflate.h"
#include "platform/stream.h"

namespace {

using engine::Bytes;
using engine::ParallelDeflateSink;

constexpr std::size_t kBlock = ParallelDeflateSink::kBlockSize;
constexpr int kLevels[] = {0, 1, -1, 9};

// Text-like runs of words mixed with random stretches, reproducible per seed.
Bytes MixedData(std::size_t size, unsigned seed) {
  static const char* const kWords[] = {"the ",  "file ",    "key ",   "block ", "stream ", "window ", "\r\n",
                                       "加密 ", "压缩率 ", "data, ", "level ", "0x7f ",   "end. ",   "and "};
  std::mt19937 random(seed);
  Bytes out;
  out.reserve(size);
  while (out.size() < size) {
    if (random() % 8 == 0) {
      const std::size_t n = random() % 3000;
      for (std::size_t i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(random()));
    } else {
      const std::size_t words = random() % 400;
      for (std::size_t i = 0; i < words; ++i) {
        const std::string word = kWords[random() % std::size(kWords)];
        out.insert(out.end(), word.begin(), word.end());
      }
    }
  }
  out.resize(size);
  return out;
}

Bytes Compress(const Bytes& plain, int level, unsigned threads, std::size_t chunk = 65535) {
  platform::MemorySink sink;
  ParallelDeflateSink deflate(sink, level, threads);
  for (std::size_t at = 0; at < plain.size(); at += chunk)
    deflate.Write(plain.data() + at, std::min(chunk, plain.size() - at));
  deflate.Finish();
  EXPECT_EQ(deflate.PlainBytes(), plain.size());
  EXPECT_EQ(deflate.CompressedBytes(), sink.Bytes().size());
  return sink.Bytes();
}

Bytes ZlibCompress(const Bytes& plain, int level) {
  uLongf size = compressBound(static_cast<uLong>(plain.size()));
  Bytes out(size);
  EXPECT_EQ(compress2(out.data(), &size, plain.data(), static_cast<uLong>(plain.size()), level), Z_OK);
  out.resize(size);
  return out;
}

// Inflates with zlib's one-call decoder and with the product's sink, and
// checks that both consume the whole stream and give back `plain`.
void ExpectInflatesTo(const Bytes& stream, const Bytes& plain) {
  Bytes out(plain.size() + 1);
  uLongf outSize = static_cast<uLongf>(out.size());
  uLong inSize = static_cast<uLong>(stream.size());
  ASSERT_EQ(uncompress2(out.data(), &outSize, stream.data(), &inSize), Z_OK);
  EXPECT_EQ(inSize, stream.size()) << "bytes after the end of the stream";
  out.resize(outSize);
  EXPECT_TRUE(out == plain) << "zlib inflates to other bytes (" << out.size() << " of " << plain.size() << ")";

  platform::MemorySink expanded;
  engine::InflateSink inflate(expanded);
  inflate.Write(stream.data(), stream.size());
  inflate.Finish();
  EXPECT_TRUE(expanded.Bytes() == plain) << "InflateSink expands to other bytes";
}

TEST(ParallelDeflateRoundTrip, BoundarySizesEveryLevel) {
  const Bytes data = MixedData(5 * kBlock + 1000, 1);
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2}, kBlock - 1, kBlock, kBlock + 1,
                                 2 * kBlock, 2 * kBlock + 1, 5 * kBlock - 1, 5 * kBlock + 1000}) {
    const Bytes plain(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size));
    for (const int level : kLevels) {
      for (const unsigned threads : {1u, 4u}) {
        SCOPED_TRACE("size " + std::to_string(size) + ", level " + std::to_string(level) + ", threads " +
                     std::to_string(threads));
        const Bytes stream = Compress(plain, level, threads);
        ExpectInflatesTo(stream, plain);
        // One block is deflated exactly as zlib deflates the whole input.
        if (size <= kBlock) {
          EXPECT_TRUE(stream == ZlibCompress(plain, level));
        }
      }
    }
  }
}

TEST(ParallelDeflateRoundTrip, SeveralMegabytesEveryLevelAndThreadCount) {
  const Bytes plain = MixedData(2 * 1024 * 1024 + 12345, 2);
  for (const int level : kLevels) {
    const Bytes reference = ZlibCompress(plain, level);
    Bytes first;
    for (const unsigned threads : {1u, 2u, 4u, 7u}) {
      SCOPED_TRACE("level " + std::to_string(level) + ", threads " + std::to_string(threads));
      const Bytes stream = Compress(plain, level, threads);
      ExpectInflatesTo(stream, plain);
      // Same header and Adler-32 trailer as zlib writes for this level.
      ASSERT_GE(stream.size(), 6u);
      EXPECT_EQ(stream[0], reference[0]);
      EXPECT_EQ(stream[1], reference[1]);
      EXPECT_TRUE(std::equal(stream.end() - 4, stream.end(), reference.end() - 4));
      // Deflating blocks apart costs little next to one whole-file stream.
      EXPECT_LT(static_cast<double>(stream.size()), reference.size() * 1.01 + 64);
      if (first.empty()) first = stream;
      EXPECT_TRUE(stream == first) << "the output depends on the thread count";
    }
  }
}

TEST(ParallelDeflateRoundTrip, OneBlockIsWhatZlibWritesAtAnyLevel) {
  // Header (78 01 / 5E / 9C / DA by level class), deflate data and trailer.
  const Bytes plain = MixedData(1000, 3);
  for (int level = -1; level <= 9; ++level) EXPECT_TRUE(Compress(plain, level, 2) == ZlibCompress(plain, level)) << level;
}

TEST(ParallelDeflateRoundTrip, ChunkingDoesNotChangeTheStream) {
  const Bytes plain = MixedData(2 * kBlock + 777, 4);
  const Bytes big = MixedData(4 * 1024 * 1024 + 3, 5);
  for (const int level : {1, -1}) {
    const Bytes reference = Compress(plain, level, 1, plain.size());
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{65535}, kBlock + 1}) {
      EXPECT_TRUE(Compress(plain, level, 3, chunk) == reference) << "level " << level << ", chunk " << chunk;
    }
    const Bytes bigReference = Compress(big, level, 4, big.size());
    ExpectInflatesTo(bigReference, big);
    EXPECT_TRUE(Compress(big, level, 2, 65535) == bigReference) << "level " << level;
  }
}

TEST(ParallelDeflateRoundTrip, EachBlockSeesThePreviousOneAsDictionary) {
  // A 20 KiB random pattern repeated: only back references across block
  // boundaries keep every block after the first down to a few bytes.
  std::mt19937 random(6);
  Bytes pattern(20000);
  for (auto& b : pattern) b = static_cast<std::uint8_t>(random());
  Bytes plain;
  while (plain.size() < 8 * kBlock) plain.insert(plain.end(), pattern.begin(), pattern.end());
  for (const int level : {1, -1, 9}) {
    const Bytes stream = Compress(plain, level, 4);
    ExpectInflatesTo(stream, plain);
    EXPECT_LT(stream.size(), pattern.size() + 8 * 2000) << "level " << level;
  }
}

TEST(ParallelDeflateRoundTrip, StoredLevelKeepsTheBytes) {
  const Bytes plain = MixedData(3 * kBlock + 5, 7);
  const Bytes stream = Compress(plain, 0, 2);
  ExpectInflatesTo(stream, plain);
  // Stored blocks: the plain bytes plus five bytes per stored block (up to
  // 64 KiB each, and one empty block at each block boundary).
  const std::size_t overhead = stream.size() - 6 - plain.size();
  EXPECT_EQ(overhead % 5, 0u);
  EXPECT_LE(overhead, 5u * (3 * 3 + 1 + 3));
}

TEST(ParallelDeflateRate, SavedSpaceInPercent) {
  platform::MemorySink sink;
  ParallelDeflateSink deflate(sink, -1, 2);
  EXPECT_EQ(deflate.CompressionRate(), 0.0);
  const Bytes plain(300000, 'a');
  deflate.Write(plain.data(), plain.size());
  deflate.Finish();
  const double expected = (1.0 - static_cast<double>(sink.Bytes().size()) / plain.size()) * 100.0;
  EXPECT_DOUBLE_EQ(deflate.CompressionRate(), expected);
  EXPECT_GT(deflate.CompressionRate(), 99.0);
}

// Throws IoError on its Nth write, as a full disk does.
class FailingSink final : public platform::ByteSink {
 public:
  explicit FailingSink(int failAt) : failAt_(failAt) {}
  void Write(const void*, std::size_t) override {
    if (++writes_ == failAt_) throw platform::IoError("disk full");
  }
  int writes() const { return writes_; }

 private:
  int failAt_;
  int writes_ = 0;
};

TEST(ParallelDeflateErrors, SinkFailureReachesTheCallerAndTheObjectStaysDestroyable) {
  const Bytes plain = MixedData(12 * kBlock + 99, 8);
  int totalWrites = 0;
  {
    FailingSink counter(-1);
    ParallelDeflateSink deflate(counter, 1, 2);
    deflate.Write(plain.data(), plain.size());
    deflate.Finish();
    totalWrites = counter.writes();
  }
  ASSERT_GT(totalWrites, 10);  // header, blocks, trailer
  for (int failAt = 1; failAt <= totalWrites; ++failAt) {
    for (const std::size_t chunk : {std::size_t{65535}, plain.size()}) {
      SCOPED_TRACE("failing write " + std::to_string(failAt) + ", chunk " + std::to_string(chunk));
      FailingSink sink(failAt);
      ParallelDeflateSink deflate(sink, 1, 3);
      bool failed = false;
      try {
        for (std::size_t at = 0; at < plain.size(); at += chunk)
          deflate.Write(plain.data() + at, std::min(chunk, plain.size() - at));
        deflate.Finish();
      } catch (const platform::IoError& e) {
        failed = true;
        EXPECT_STREQ(e.what(), "disk full");
      }
      EXPECT_TRUE(failed);
      EXPECT_EQ(sink.writes(), failAt) << "nothing may be written after the failure";
      EXPECT_THROW(deflate.Write(plain.data(), 10), std::runtime_error);
      EXPECT_THROW(deflate.Finish(), std::runtime_error);
    }
  }
}

TEST(ParallelDeflateErrors, MisuseIsRefused) {
  platform::MemorySink sink;
  EXPECT_THROW(ParallelDeflateSink(sink, 10, 1), std::invalid_argument);
  EXPECT_THROW(ParallelDeflateSink(sink, -2, 1), std::invalid_argument);
  ParallelDeflateSink deflate(sink, -1, 0);  // zero threads still works with one
  deflate.Write("abc", 3);
  deflate.Finish();
  EXPECT_THROW(deflate.Write("d", 1), std::logic_error);
  EXPECT_THROW(deflate.Finish(), std::logic_error);
  ExpectInflatesTo(sink.Bytes(), Bytes{'a', 'b', 'c'});
}

// A sink as slow as a busy disk, so blocks pile up behind it.
class SlowSink final : public platform::ByteSink {
 public:
  void Write(const void*, std::size_t size) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    bytes_ += size;
  }
  std::size_t bytes_ = 0;
};

TEST(ParallelDeflateCancel, DestroyingWithoutFinishEndsPromptly) {
  const Bytes plain = MixedData(6 * kBlock, 9);
  for (const unsigned threads : {1u, 2u, 7u}) {
    const auto start = std::chrono::steady_clock::now();
    {
      platform::MemorySink sink;
      ParallelDeflateSink unused(sink, 9, threads);
    }
    {
      SlowSink sink;
      ParallelDeflateSink deflate(sink, 9, threads);
      deflate.Write(plain.data(), plain.size());
    }
    platform::MemorySink sink;
    {
      ParallelDeflateSink deflate(sink, 1, threads);
      deflate.Write(plain.data(), 3 * kBlock + 1);
    }
    Bytes out(4 * kBlock);
    uLongf outSize = static_cast<uLongf>(out.size());
    EXPECT_NE(uncompress(out.data(), &outSize, sink.Bytes().data(), static_cast<uLong>(sink.Bytes().size())), Z_OK)
        << "without Finish the stream must stay unfinished";
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), 20.0) << "threads " << threads;
  }
}

}  // namespace
