#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/file.h"
#include "platform/mapped_file.h"
#include "utils/md5_hash.h"

namespace {

namespace fs = std::filesystem;

std::string HexOf(const std::string& text) {
  platform::MemorySource s(std::vector<std::uint8_t>(text.begin(), text.end()));
  auto d = utils::MD5HashStream(s, 7, nullptr);
  return d ? utils::MD5DigestToHex(*d) : "";
}

TEST(MD5Hash, Rfc1321Vectors) {
  const std::pair<std::string, std::string> vectors[] = {
      {"a", "0CC175B9C0F1B6A831C399E269772661"},
      {"abc", "900150983CD24FB0D6963F7D28E17F72"},
      {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
      {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57EDF4A22BE3C955AC49DA2E2107B67A"},
  };
  for (const auto& [text, hex] : vectors) EXPECT_EQ(HexOf(text), hex) << text;
  EXPECT_EQ(HexOf(""), "");  // an empty stream has no digest
}

// A stream whose reads fail once `failAt` bytes have been read.
class FailingSource final : public platform::ByteSource {
 public:
  FailingSource(std::uint64_t size, std::uint64_t failAt) : size_(size), failAt_(failAt) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t Read(void* buffer, std::size_t size) override {
    if (position_ >= failAt_) throw platform::IoError("device error");
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, failAt_ - position_));
    std::memset(buffer, 0x5A, n);
    position_ += n;
    return n;
  }
  void Seek(std::uint64_t offset) override { position_ = offset; }
  std::uint64_t Position() const override { return position_; }

 private:
  std::uint64_t size_, failAt_, position_ = 0;
};

// Small streams are read on the calling thread, large ones ahead on a second
// one: both report every block, stop at a cancel and pass read errors on.
TEST(MD5Hash, CancelAndReadErrorsOnSmallAndLargeStreams) {
  for (std::uint64_t size : {std::uint64_t{20000}, std::uint64_t{9} << 20}) {
    FailingSource whole(size, size);
    int calls = 0;
    EXPECT_FALSE(utils::MD5HashStream(whole, 4096, [&](std::uint64_t, std::uint64_t done, bool& cancel) {
      EXPECT_EQ(done, 4096u * ++calls);
      cancel = calls == 3;
    })) << size;
    EXPECT_EQ(calls, 3) << size;
    FailingSource failing(size, size / 2);
    EXPECT_THROW(utils::MD5HashStream(failing, 4096, nullptr), platform::IoError) << size;
  }
}

class MD5Files : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("md5test-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Make(const std::string& name, std::size_t size) {
    const fs::path p = dir_ / name;
    std::ofstream out(p, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>((i * 131 + i / 251) & 0xFF));
    return p;
  }
  static std::string Md5sum(const fs::path& p) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(("md5sum '" + p.string() + "'").c_str(), "r"), ::pclose);
    char buf[33] = {};
    if (std::fread(buf, 1, 32, pipe.get()) != 32) return "?";
    std::string hex(buf, 32);
    for (char& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return hex;
  }
  fs::path dir_;
};

TEST_F(MD5Files, EqualsMd5sumAtBoundarySizesInEveryMode) {
  for (std::size_t size : {1u, 63u, 64u, 65u, 4095u, 4096u, 4097u, 4194305u, 9000001u}) {
    const fs::path p = Make("f" + std::to_string(size), size);
    const std::string expected = Md5sum(p);
    for (int mode : {0, 1, 2}) EXPECT_EQ(utils::MD5HashFileHex(p, mode, nullptr), expected) << size << " " << mode;
  }
  EXPECT_EQ(utils::MD5HashFileHex(Make("empty", 0), 0, nullptr), "");
}

// Another process cuts the file short while it is hashed: automatic reading
// reports it (a mapped view would end this process with SIGBUS).
TEST_F(MD5Files, AFileCutShortWhileHashedIsAnErrorNotACrash) {
  const fs::path p = dir_ / "shrinking";
  std::ofstream(p).close();
  fs::resize_file(p, std::uint64_t{256} << 20);  // beyond what is read ahead at the first block
  bool cut = false;
  const auto shrink = [&](std::uint64_t, std::uint64_t, bool&) {
    if (!cut) fs::resize_file(p, 1000);
    cut = true;
  };
  bool failed = false;
  try {
    failed = !utils::MD5HashFile(p, utils::kMD5Auto, shrink).has_value();
  } catch (const platform::IoError&) {
    failed = true;
  }
  EXPECT_TRUE(cut);
  EXPECT_TRUE(failed);
}

TEST_F(MD5Files, CancelAndPositionRestore) {
  const fs::path p = Make("c", 20000);
  int calls = 0;
  EXPECT_EQ(utils::MD5HashFileHex(p, 1, [&](std::uint64_t total, std::uint64_t done, bool& cancel) {
              EXPECT_EQ(total, 20000u);
              EXPECT_EQ(done, std::min<std::uint64_t>(4096u * ++calls, 20000));
              cancel = calls == 2;
            }),
            "");
  EXPECT_EQ(calls, 2);
  platform::InputFile in(p);
  in.Seek(123);
  ASSERT_TRUE(utils::MD5HashStream(in, 1000, nullptr));
  EXPECT_EQ(in.Position(), 123u);
}

TEST_F(MD5Files, TwoGigabyteRulesOnSparseFiles) {
  const fs::path below = dir_ / "below", at = dir_ / "at";
  std::ofstream(below).close();
  std::ofstream(at).close();
  fs::resize_file(below, 2147483647);
  fs::resize_file(at, 2147483648);
  EXPECT_FALSE(utils::FileExceedsMaxInt(below));
  EXPECT_TRUE(utils::FileExceedsMaxInt(at));
  EXPECT_FALSE(utils::FileExceedsMaxInt(dir_ / "missing"));
  // Mapped mode refuses the 2 GB file before opening anything.
  EXPECT_EQ(utils::MD5HashFileHex(at, 1, nullptr), "");
  // Auto mode maps the smaller one where that is safe: the first block comes
  // in mapped blocks; elsewhere it streams.
  std::uint64_t first = 0;
  utils::MD5HashFileHex(below, 0, [&](std::uint64_t, std::uint64_t done, bool& cancel) {
    first = done;
    cancel = true;
  });
  EXPECT_EQ(first, platform::MappedViewsSurviveTruncation() ? utils::kMappedBlock : utils::kStreamBlock);
  utils::MD5HashFileHex(at, 0, [&](std::uint64_t, std::uint64_t done, bool& cancel) {
    first = done;
    cancel = true;
  });
  EXPECT_EQ(first, utils::kStreamBlock);
}

TEST_F(MD5Files, MappedStreamRefusesWritingAndResizing) {
  platform::MappedReadOnlyFile m(Make("m", 10), "m_MAPPED_FOR_MD5");
  EXPECT_THROW(m.Write("x", 1), platform::IoError);
  EXPECT_THROW(m.SetSize(1), platform::SizeUnchangeable);
  char b[4];
  m.Seek(20);
  EXPECT_EQ(m.Read(b, 4), 0u);
  EXPECT_THROW(platform::MappedReadOnlyFile(dir_ / "missing", "x"), platform::IoError);
}

}  // namespace
