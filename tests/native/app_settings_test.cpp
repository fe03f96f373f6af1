// Stored settings: the write rule, the read order with its fall-backs, the
// fold states, and the command line.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/fold.h"
#include "app/settings.h"

namespace {

using app::StoredValue;

// A settings key in memory that records what is done to it.
class MemoryStore final : public app::SettingsStore {
 public:
  bool exists = true;
  std::map<std::string, StoredValue> values;
  std::vector<std::string> reads;
  std::vector<std::string> ops;
  std::string failOn;  // a read of this value fails

  bool KeyExists() override { return exists; }
  StoredValue Read(std::string_view name) override {
    reads.emplace_back(name);
    if (name == failOn) throw app::SettingsError("read fails");
    const auto it = values.find(std::string(name));
    return it == values.end() ? StoredValue::Absent() : it->second;
  }
  void Delete(std::string_view name) override {
    exists = true;
    ops.push_back("delete " + std::string(name));
    values.erase(std::string(name));
  }
  void Write(std::string_view name, std::uint32_t value) override {
    exists = true;
    ops.push_back("write " + std::string(name) + "=" + std::to_string(value));
    values[std::string(name)] = StoredValue::Integer(static_cast<std::int32_t>(value));
  }
};

TEST(SaveSetting, DeletesFirstAndWritesOnlyPositiveValues) {
  MemoryStore store;
  store.exists = false;
  app::SaveSetting(store, "zzll", 3);
  app::SaveSetting(store, "ctbjc", 0);           // black
  app::SaveSetting(store, "xcys", -16777201);    // a system colour
  app::SaveSetting(store, "zzll", 0);
  EXPECT_EQ(store.ops, (std::vector<std::string>{"delete zzll", "write zzll=3", "delete ctbjc", "delete xcys",
                                                 "delete zzll"}));
  EXPECT_TRUE(store.exists);  // deleting alone creates the key
  EXPECT_TRUE(store.values.empty());
}

TEST(StoredSettings, MissingKeyReadsNothingAndKeepsTheDesignState) {
  MemoryStore store;
  store.exists = false;
  const app::StoredSettings s = app::ReadStoredSettings(store);
  EXPECT_FALSE(s.keyFound);
  EXPECT_TRUE(store.reads.empty());
  EXPECT_FALSE(s.compression || s.windowColor || s.logoColor || s.maskKeys || s.pasteKeys || s.hintShowsKey ||
               s.md5OnDrop || s.md5ReadMode || s.foldState || s.aead);
}

TEST(StoredSettings, EmptyKeyGivesTheAbsentColumn) {
  MemoryStore store;
  const app::StoredSettings s = app::ReadStoredSettings(store);
  EXPECT_EQ(store.reads, (std::vector<std::string>{"zzll", "ctbjc", "xcys", "pbmy", "ztmy", "bjkxnr", "md5",
                                                   "md5dqms", "ctsf", "rzjm"}));
  EXPECT_EQ(s.compression, 0);           // "不压缩", not the design's "正常压缩"
  EXPECT_FALSE(s.windowColor);           // design colours stay
  EXPECT_FALSE(s.logoColor);
  EXPECT_EQ(s.maskKeys, false);
  EXPECT_EQ(s.pasteKeys, false);
  EXPECT_EQ(s.hintShowsKey, false);
  EXPECT_EQ(s.md5OnDrop, true);
  EXPECT_EQ(s.md5ReadMode, 0);
  EXPECT_EQ(s.foldState, 0);
  EXPECT_EQ(s.aead, false);
  EXPECT_FALSE(s.failed);
}

TEST(StoredSettings, StoredValuesAndTheirFallBacks) {
  MemoryStore store;
  store.values = {{"zzll", StoredValue::Integer(9)},         {"ctbjc", StoredValue::Unreadable()},
                  {"xcys", StoredValue::Integer(0x0000FF)},  {"pbmy", StoredValue::Integer(1)},
                  {"ztmy", StoredValue::Unreadable()},       {"md5", StoredValue::Integer(1)},
                  {"md5dqms", StoredValue::Unreadable()},    {"ctsf", StoredValue::Integer(4)},
                  {"rzjm", StoredValue::Integer(1)}};
  const app::StoredSettings s = app::ReadStoredSettings(store);
  EXPECT_EQ(s.compression, 2);
  EXPECT_EQ(s.windowColor, app::kSkyBlue);
  EXPECT_EQ(s.logoColor, 0x0000FF);
  EXPECT_EQ(s.maskKeys, true);
  EXPECT_EQ(s.pasteKeys, true);  // present, whatever its type
  EXPECT_EQ(s.hintShowsKey, false);
  EXPECT_EQ(s.md5OnDrop, false);
  EXPECT_EQ(s.md5ReadMode, 0);
  EXPECT_EQ(s.foldState, 5);
  EXPECT_EQ(s.aead, true);

  store.values = {{"zzll", StoredValue::Unreadable()}, {"xcys", StoredValue::Unreadable()},
                  {"md5dqms", StoredValue::Integer(7)}};
  const app::StoredSettings t = app::ReadStoredSettings(store);
  EXPECT_EQ(t.compression, 2);
  EXPECT_EQ(t.logoColor, app::kAqua);
  EXPECT_EQ(t.md5ReadMode, 7);
  EXPECT_EQ(app::Md5ReadModeItem(*t.md5ReadMode), 2);
  EXPECT_EQ(app::Md5ReadModeItem(1), 1);
  EXPECT_EQ(app::Md5ReadModeItem(0), 0);
  EXPECT_EQ(app::Md5ReadModeItem(-3), 0);

  // Each stored choice comes back; a negative one (never stored by a click) gives the default.
  for (int i = 1; i <= 3; ++i) {
    store.values = {{"zzll", StoredValue::Integer(i)}};
    EXPECT_EQ(app::ReadStoredSettings(store).compression, i);
  }
  store.values = {{"zzll", StoredValue::Integer(-1)}};
  EXPECT_EQ(app::ReadStoredSettings(store).compression, 2);
}

TEST(StoredSettings, AFailingStoreStopsTheReadingWhereItFailed) {
  MemoryStore store;
  store.values = {{"zzll", StoredValue::Integer(1)}, {"pbmy", StoredValue::Integer(1)}};
  store.failOn = "xcys";
  const app::StoredSettings s = app::ReadStoredSettings(store);
  EXPECT_TRUE(s.failed);
  EXPECT_EQ(s.compression, 1);
  EXPECT_FALSE(s.windowColor);  // absent: not a failure
  EXPECT_FALSE(s.maskKeys);     // read after the failure: not read
  EXPECT_EQ(store.reads.back(), "xcys");
}

TEST(Fold, TheTableAndTheCycle) {
  const std::vector<std::pair<std::string, int>> table = {{">>>>>>", 506}, {">>>>>", 458}, {">>>>", 413},
                                                          {">>>", 344},    {"<<", 160},    {"<<<", 344},
                                                          {"<<<<", 413},   {"<<<<<", 458}};
  for (int s = 0; s < 8; ++s) {
    EXPECT_EQ(app::FoldEntryFor(s).caption, table[s].first);
    EXPECT_EQ(app::FoldEntryFor(s).designHeight, table[s].second);
  }
  EXPECT_EQ(app::FoldClientHeight(0), 472);
  // Nine clicks from state 0 pass through 1..7, 0 and 1.
  std::vector<int> seen;
  int tag = 0;
  for (int i = 0; i < 9; ++i) seen.push_back(tag = app::NextFoldState(tag));
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 0, 1}));
  EXPECT_EQ(app::NextFoldState(-5), 1);
  EXPECT_EQ(app::NextFoldState(12), 0);
}

TEST(Fold, StartStateNeverTheSmallestNorState3) {
  EXPECT_EQ(app::StartFoldState(std::nullopt), 0);
  const std::vector<std::pair<int, int>> cases = {{-2, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 5}, {4, 5},
                                                  {5, 5},  {6, 6}, {7, 7}, {8, 0}, {99, 0}};
  for (auto [stored, state] : cases) {
    EXPECT_EQ(app::StartFoldState(stored), state) << stored;
    // The start-up click advances the tag to the state.
    EXPECT_EQ(app::NextFoldState(app::TagBefore(state)), state);
  }
}

TEST(CommandLine, SwitchesInAnyLetterCaseInTheirOrder) {
  using K = app::CommandLineSwitch::Kind;
  const app::CommandLine line =
      app::ParseCommandLine({"/YSL1", "/Pbmy", "/ztmy", "/NoMD5", "/RZJM", "<<<<", "/ysl3", "/ysl4", "<<<", "<<<<<<"});
  EXPECT_EQ(line.switches, (std::vector<app::CommandLineSwitch>{
                               {K::kCompression, 1}, {K::kMaskKeys}, {K::kPasteKeys}, {K::kNoMd5}, {K::kAead},
                               {K::kFold, 6}, {K::kCompression, 3}, {K::kFold, 5}}));
}

TEST(CommandLine, ColourArgument) {
  using K = app::CommandLineSwitch::Kind;
  auto colour = [](const std::string& arg) {
    const app::CommandLine line = app::ParseCommandLine({arg});
    EXPECT_EQ(line.switches.size(), 1u) << arg;
    EXPECT_EQ(line.switches.at(0).kind, K::kColor);
    return line.switches.at(0).value;
  };
  EXPECT_EQ(colour("Color255"), 0x0000FF);     // red
  EXPECT_EQ(colour("COLOR$FF00"), 0x00FF00);
  EXPECT_EQ(colour("color$ff000005"), static_cast<std::int32_t>(0xFF000005));  // a system colour
  EXPECT_EQ(colour("Color-1"), -1);
  EXPECT_EQ(colour("Colorred"), app::kSkyBlue);
  EXPECT_EQ(colour("Color"), app::kSkyBlue);
  EXPECT_EQ(colour("Color 255"), app::kSkyBlue);
  EXPECT_EQ(colour("Color4294967296"), app::kSkyBlue);  // beyond 32 bits
  EXPECT_EQ(colour("Color2147483648"), app::kSkyBlue);
  EXPECT_EQ(colour("Color-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(CommandLine, ArgumentsJoinIntoThePreselectedPath) {
  EXPECT_EQ(app::ParseCommandLine({"C:\\my", "files\\a", "b.txt"}).joined, "C:\\my files\\a b.txt");
  EXPECT_TRUE(app::ParseCommandLine({"C:\\my", "files\\a", "b.txt"}).switches.empty());
  // A switch takes part in the joined text, so it preselects nothing.
  EXPECT_EQ(app::ParseCommandLine({"/pbmy", "C:\\a.txt"}).joined, "/pbmy C:\\a.txt");
  EXPECT_EQ(app::ParseCommandLine({}).joined, "");
  // Chinese text passes unchanged; only ASCII letters are lowered for the comparison.
  EXPECT_EQ(app::ParseCommandLine({"D:\\星尘\\文件.jmz"}).joined, "D:\\星尘\\文件.jmz");
  EXPECT_EQ(app::AsciiLower("/YSL1 星尘"), "/ysl1 星尘");
}

}  // namespace
