// Packages for the package tests: made-up PE images and containers made by
// the encryption job.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/jobs/encrypt_job.h"
#include "job_fixture.h"
#include "sfx/create_job.h"

namespace testing_support {

inline void Put(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v, int bytes) {
  if (b.size() < at + bytes) b.resize(at + bytes);
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A minimal PE image: headers, one section of `raw` bytes at 0x200.
inline std::vector<std::uint8_t> MakePe(bool plus, std::uint32_t raw, std::uint32_t certSize = 0) {
  std::vector<std::uint8_t> b(0x200 + raw, 0x90);
  std::fill(b.begin(), b.begin() + 0x200, 0);
  Put(b, 0, 0x5A4D, 2);
  Put(b, 0x3C, 0x80, 4);
  Put(b, 0x80, 0x00004550, 4);
  const std::size_t coff = 0x84;
  const std::uint16_t optionalSize = plus ? 240 : 224;
  Put(b, coff + 2, 1, 2);
  Put(b, coff + 16, optionalSize, 2);
  const std::size_t opt = coff + 20;
  Put(b, opt, plus ? 0x20B : 0x10B, 2);
  Put(b, opt + (plus ? 108 : 92), 16, 4);
  const std::size_t dirs = opt + (plus ? 112 : 96);
  if (certSize) {
    Put(b, dirs + 4 * 8, b.size(), 4);
    Put(b, dirs + 4 * 8 + 4, certSize, 4);
    b.resize(b.size() + certSize, 0x55);
  }
  const std::size_t section = opt + optionalSize;
  Put(b, section + 16, raw, 4);
  Put(b, section + 20, 0x200, 4);
  return b;
}

class SfxJobTest : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    const auto pe = MakePe(true, 0x1000);
    Write("stub.exe", std::string(pe.begin(), pe.end()));
  }
  void MakeContainer(const std::string& file, const std::string& container, std::size_t size, int level = 0) {
    Write(file, Content(size));
    testing_support::RecordingHost host;
    engine::JobState state;
    engine::TZnZip zip;
    engine::JobWindow w{host, state, zip};
    fs::create_directories(Path("made"));
    engine::RunEncryptJob(w, engine::EncryptJobInput{Path(file), "key", "", "", level, Path("made"), false, {}, {}});
    ASSERT_EQ(Names("made").size(), 1u);
    fs::rename(Path("made/" + Names("made")[0]), Path(container));
  }
  void Create(const std::string& jmz, const std::string& stub = "stub.exe") {
    engine::JobWindow w = Window();
    sfx::PrepareSfxJob(w, sfx::SfxCreateInput{Path(jmz), Path(stub), Path("out")});
  }
};

}  // namespace testing_support
