// The find: pattern parsing, encodings, case, direction, wrap, chunk edges,
// cancel, and the refusals of bad patterns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hexeditor/model/byte_search.h"

namespace hexed::search {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes PatternWants(const Pattern& p) {
  Bytes out;
  for (const PatternByte& b : p.bytes) out.push_back(b.want);
  return out;
}

FindResult FindIn(const Bytes& data, const Pattern& p, FindOptions o = {}) {
  MemorySource src(data.data(), static_cast<std::int64_t>(data.size()));
  return Find(src, p, o);
}

// Every match start in data, by the literal definition.
std::vector<std::int64_t> AllMatches(const Bytes& data, const Pattern& p) {
  std::vector<std::int64_t> out;
  for (std::size_t s = 0; s + p.size() <= data.size(); ++s) {
    bool ok = true;
    for (std::size_t i = 0; i < p.size() && ok; ++i) ok = p.bytes[i].Matches(data[s + i]);
    if (ok) out.push_back(static_cast<std::int64_t>(s));
  }
  return out;
}

Bytes Noise(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
  return b;
}

TEST(SearchPattern, HexTextWithWildcards) {
  struct Case {
    const char* text;
    Bytes wants;
    Bytes folds;
  };
  const Case cases[] = {
      {"4D 5A ?? 00", {0x4D, 0x5A, 0xFF, 0x00}, {0, 0, 0xFF, 0}},
      {"4d5a??00", {0x4D, 0x5A, 0xFF, 0x00}, {0, 0, 0xFF, 0}},
      {" \tff\n?? 0A ", {0xFF, 0xFF, 0x0A}, {0, 0xFF, 0}},
  };
  for (const Case& c : cases) {
    const Pattern p = ParseHexPattern(c.text);
    Bytes folds;
    for (const PatternByte& b : p.bytes) folds.push_back(b.fold);
    EXPECT_EQ(PatternWants(p), c.wants) << c.text;
    EXPECT_EQ(folds, c.folds) << c.text;
  }
  const Bytes data = {0x4D, 0x5A, 0x90, 0x01, 0x4D, 0x5A, 0x77, 0x00};
  EXPECT_EQ(FindIn(data, ParseHexPattern("4D 5A ?? 00")).position, 4);
}

TEST(SearchPattern, BadPatternsAreRefusedByKind) {
  struct Case {
    const char* text;
    PatternErrorKind kind;
  };
  const Case hexCases[] = {
      {"", PatternErrorKind::kEmpty},          {"   ", PatternErrorKind::kEmpty},
      {"4D 5", PatternErrorKind::kIncompleteByte}, {"4D5 A", PatternErrorKind::kIncompleteByte},
      {"4G", PatternErrorKind::kBadHexDigit},  {"0x4D", PatternErrorKind::kBadHexDigit},
      {"4?", PatternErrorKind::kHalfWildcard}, {"?? ??", PatternErrorKind::kOnlyWildcards},
  };
  for (const Case& c : hexCases) {
    try {
      ParseHexPattern(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const PatternError& e) {
      EXPECT_EQ(e.kind(), c.kind) << c.text << ": " << e.what();
    }
  }
  struct TextCase {
    std::string text;
    TextEncoding encoding;
    PatternErrorKind kind;
  };
  const TextCase textCases[] = {
      {"", TextEncoding::kUtf8, PatternErrorKind::kEmpty},
      {"a\xFF", TextEncoding::kUtf16Le, PatternErrorKind::kBadText},
      {"\xF0\x9F\x98\x80", TextEncoding::kGbk, PatternErrorKind::kNotEncodable},
  };
  for (const TextCase& c : textCases) {
    try {
      TextPattern(c.text, c.encoding, false);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const PatternError& e) {
      EXPECT_EQ(e.kind(), c.kind) << c.text << ": " << e.what();
    }
  }
}

TEST(SearchPattern, TextInEachEncodingIsFoundByItsBytes) {
  struct Case {
    TextEncoding encoding;
    Bytes bytes;  // "中文A" written in that encoding
  };
  const Case cases[] = {
      {TextEncoding::kGbk, {0xD6, 0xD0, 0xCE, 0xC4, 0x41}},
      {TextEncoding::kUtf16Le, {0x2D, 0x4E, 0x87, 0x65, 0x41, 0x00}},
      {TextEncoding::kUtf8, {0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0x41}},
  };
  for (const Case& c : cases) {
    const Pattern p = TextPattern("中文A", c.encoding, false);
    EXPECT_EQ(PatternWants(p), c.bytes);
    Bytes data = Noise(100, 7);
    data.insert(data.begin() + 37, c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(FindIn(data, p).position, 37);
  }
}

TEST(SearchPattern, AsciiCaseFoldsOnlyAsciiLetters) {
  struct Case {
    const char* text;
    TextEncoding encoding;
    bool ignoreCase;
    Bytes data;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"aB", TextEncoding::kUtf8, true, {'x', 'A', 'b'}, 1},
      {"aB", TextEncoding::kUtf8, false, {'x', 'A', 'b', 'a', 'B'}, 3},
      {"aB", TextEncoding::kUtf8, false, {'x', 'A', 'b'}, -1},
      {"a[", TextEncoding::kUtf8, true, {'A', '{'}, -1},  // '[' | 0x20 == '{', yet no letter
      {"aB", TextEncoding::kUtf16Le, true, {'A', 0, 'b', 0}, 0},
      {"a", TextEncoding::kUtf16Le, true, {'A', 1}, -1},  // U+0141 is not 'a'
      // 丄 is 81 41 in GBK: its trail byte is the code of 'A' but never folds.
      {"丄", TextEncoding::kGbk, true, {0x81, 0x61, 0x81, 0x41}, 2},
      {"x丄", TextEncoding::kGbk, true, {'X', 0x81, 0x41}, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindIn(c.data, TextPattern(c.text, c.encoding, c.ignoreCase)).position, c.expected) << c.text;
}

TEST(ByteSearch, BackwardFindsTheLastMatchBeforeTheStart) {
  Bytes data = Noise(300, 3);
  for (std::int64_t at : {10, 120, 250}) data[static_cast<std::size_t>(at)] = 0xAB, data[at + 1] = 0xCD;
  const Pattern p = ParseHexPattern("AB CD");
  ASSERT_EQ(AllMatches(data, p), (std::vector<std::int64_t>{10, 120, 250}));
  struct Case {
    std::int64_t from, expected;
  };
  for (const Case& c : {Case{300, 250}, Case{251, 250}, Case{250, 120}, Case{11, 10}}) {
    FindOptions o;
    o.from = c.from, o.backward = true, o.wrap = false, o.chunkSize = 64;
    EXPECT_EQ(FindIn(data, p, o).position, c.expected) << c.from;
  }
}

TEST(ByteSearch, WrapsToTheOtherEndAndSaysSo) {
  Bytes data(200, 0x11);
  data[50] = 0x22, data[150] = 0x22;
  const Pattern p = ParseHexPattern("22");
  struct Case {
    std::int64_t from;
    bool backward, wrap;
    FindStatus status;
    std::int64_t position;
    bool wrapped;
  };
  const Case cases[] = {
      {100, false, true, FindStatus::kFound, 150, false}, {151, false, true, FindStatus::kFound, 50, true},
      {151, false, false, FindStatus::kNotFound, -1, false}, {100, true, true, FindStatus::kFound, 50, false},
      {50, true, true, FindStatus::kFound, 150, true},     {50, true, false, FindStatus::kNotFound, -1, false},
  };
  for (const Case& c : cases) {
    FindOptions o;
    o.from = c.from, o.backward = c.backward, o.wrap = c.wrap, o.chunkSize = 32;
    const FindResult r = FindIn(data, p, o);
    EXPECT_EQ(r.status, c.status) << c.from << c.backward;
    EXPECT_EQ(r.position, c.position) << c.from << c.backward;
    EXPECT_EQ(r.wrapped, c.wrapped) << c.from << c.backward;
  }
}

// Every match at every offset around the chunk edges, in both directions,
// compared with the literal search.
TEST(ByteSearch, MatchesAcrossChunkEdgesAreFound) {
  const Pattern p = ParseHexPattern("C3 ?? 5A 5A 01");
  for (std::size_t chunk : {5u, 6u, 7u, 16u, 33u}) {
    for (std::size_t at = 0; at + p.size() <= 70; ++at) {
      Bytes data(70, 0x5A);
      data[at] = 0xC3, data[at + 4] = 0x01;
      const std::vector<std::int64_t> expected = AllMatches(data, p);
      ASSERT_EQ(expected, std::vector<std::int64_t>{static_cast<std::int64_t>(at)});
      FindOptions o;
      o.chunkSize = chunk, o.wrap = false;
      EXPECT_EQ(FindIn(data, p, o).position, expected[0]) << chunk << " " << at;
      o.from = 70, o.backward = true;
      EXPECT_EQ(FindIn(data, p, o).position, expected[0]) << chunk << " " << at << " backward";
    }
  }
}

TEST(ByteSearch, ProgressReportsEachChunkAndCancels) {
  const Bytes data(1000, 0);
  const Pattern p = ParseHexPattern("01 02");
  std::vector<std::int64_t> seen;
  FindOptions o;
  o.chunkSize = 101;  // 100 starts per chunk
  o.progress = [&](std::int64_t done, std::int64_t total) {
    EXPECT_EQ(total, 999);
    seen.push_back(done);
    return seen.size() < 3;
  };
  const FindResult r = FindIn(data, p, o);
  EXPECT_EQ(r.status, FindStatus::kCancelled);
  EXPECT_EQ(r.position, -1);
  EXPECT_EQ(seen, (std::vector<std::int64_t>{100, 200, 300}));
}

// Every match in one pass, each after the end of the one before, across chunk
// edges, against the literal definition; a limit keeps the first ones.
TEST(ByteSearch, FindAllListsMatchesThatDoNotOverlap) {
  const Bytes data = [] {
    Bytes d = Noise(301, 7);
    for (std::size_t at : {0u, 3u, 6u, 50u, 97u, 98u, 200u, 298u}) d[at] = 0xAA, d[at + 1] = 0xAA, d[at + 2] = 0xAA;
    return d;
  }();
  const Pattern p = ParseHexPattern("AA ?? AA");
  std::vector<std::int64_t> expected;
  for (std::int64_t s : AllMatches(data, p))
    if (expected.empty() || s >= expected.back() + 3) expected.push_back(s);
  for (std::size_t chunk : {3u, 4u, 7u, 64u, 4096u}) {
    MemorySource src(data.data(), static_cast<std::int64_t>(data.size()));
    FindOptions o;
    o.chunkSize = chunk;
    EXPECT_EQ(FindAll(src, p, o, 1000).positions, expected) << chunk;
    const FindAllResult cut = FindAll(src, p, o, 2);
    EXPECT_TRUE(cut.overLimit);
    EXPECT_EQ(cut.positions, (std::vector<std::int64_t>{expected[0], expected[1]}));
    o.progress = [](std::int64_t, std::int64_t) { return false; };
    const FindAllResult stopped = FindAll(src, p, o, 1000);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.positions.empty());
  }
}

}  // namespace
}  // namespace hexed::search
