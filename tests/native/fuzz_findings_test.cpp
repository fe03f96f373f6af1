// Inputs the fuzz targets found that the readers mishandled, kept as tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "container_builder.h"
#include "engine/format/container_info.h"
#include "engine/format/save_key_reader.h"

namespace {

class Recorder final : public engine::ReaderEvents {
 public:
  void Report(std::string t) override { reports.push_back(std::move(t)); }
  bool AskTryNewerVersion() override { return false; }
  void Status(std::string_view) override {}
  std::vector<std::string> reports;
};

std::vector<std::uint8_t> Container(std::size_t payloadSize) {
  testing_support::ContainerRecipe r;
  r.fields.version = 66;
  r.fields.r1 = 17;
  r.fields.r2 = 91;
  r.fields.r3 = 203;
  r.fields.extension = ".txt";
  r.key = "key1";
  r.payload.assign(payloadSize, 0x5A);
  return testing_support::BuildContainer(r);
}

struct Cut {
  const char* what;
  std::size_t payload;
  std::size_t length;  // bytes kept
  bool container;      // still recognised as a container (and refused)
};

// A container cut inside its header or key check: a read past the end used
// to escape as an I/O error, which the job reported as a file in use.
TEST(FuzzFindings, ContainersCutInTheirHeaderAreNoContainerOrRefusedWithoutAReadError) {
  const Cut cuts[] = {
      {"probe only", 100, 12, false},
      {"size cut", 100, 17, false},
      {"extension cut", 100, 23, true},
      {"key check cut", 100, 30, true},
  };
  for (const Cut& c : cuts) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> bytes = Container(c.payload);
    ASSERT_LT(c.length, bytes.size());
    bytes.resize(c.length);
    platform::MemorySource source(bytes);
    Recorder events;
    engine::RunFlag running{true};
    engine::OpenOutcome outcome;
    ASSERT_NO_THROW(outcome = engine::OpenSaveKeyContainer(source, {0, bytes.size()}, engine::AsBytes("key1"),
                                                           events, running));
    platform::MemorySource again(bytes);
    const bool infoSaysContainer = engine::InspectContainer(again).kind == engine::ContainerInfo::Kind::kSaveKey;
    EXPECT_EQ(infoSaysContainer, c.container);
    if (c.container) {
      EXPECT_EQ(outcome.result, engine::OpenResult::kRefused);
      ASSERT_FALSE(events.reports.empty());
      EXPECT_EQ(events.reports.back(), engine::read_text::kComputedBelowOne);
    } else {
      EXPECT_EQ(outcome.result, engine::OpenResult::kNotContainer);
    }
  }
}

// An empty extension field made the info reader copy zero bytes into an
// empty buffer's null pointer (undefined, caught by the sanitizer build).
TEST(FuzzFindings, ReadingNothingIntoAnEmptyBufferIsAllowed) {
  platform::MemorySource source(std::vector<std::uint8_t>{1, 2, 3});
  std::vector<std::uint8_t> empty;
  EXPECT_EQ(source.Read(empty.data(), 0), 0u);
  EXPECT_NO_THROW(source.ReadExact(empty.data(), 0));
}

}  // namespace
