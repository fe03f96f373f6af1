// Find and replace on the editor: next and previous from the caret, the
// replacements as one undo step each, and the refusals.
#include <gtest/gtest.h>

#include <string>

#include "hexeditor/editor/find_replace.h"
#include "test_support.h"

namespace hexed::find {
namespace {

using test::Bytes;

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

// F3 and Shift+F3: each search starts from the match shown and selects the
// next one that way, wrapping at the ends.
TEST(FindReplace, NextAndPreviousMoveFromTheShownMatch) {
  TCustomQDHexEditor e;
  test::Load(e, Of("xxABxxABxxAB"));
  const search::Pattern p = MakePattern("ab", TextKind::kGbk, true);
  struct Step {
    bool backward;
    std::int64_t want;
    bool wrapped;
  };
  const Step steps[] = {{false, 2, false}, {false, 6, false}, {false, 10, false}, {false, 2, true},
                        {true, 10, true},  {true, 6, false}};
  for (const Step& step : steps) {
    EditorSource source(e);
    search::FindOptions o;
    o.from = SearchStart(e, step.backward);
    o.backward = step.backward;
    const search::FindResult r = search::Find(source, p, o);
    ASSERT_EQ(r.status, search::FindStatus::kFound);
    EXPECT_EQ(r.position, step.want);
    EXPECT_EQ(r.wrapped, step.wrapped);
    SelectMatch(e, r.position, p.size());
    EXPECT_EQ(e.SelStart(), step.want);
    EXPECT_EQ(e.SelCount(), 2);
    EXPECT_TRUE(SelectionMatches(e, p));
  }
}

// Replace all is one change: one undo restores the data, whatever the lengths.
TEST(FindReplace, ReplaceAllIsOneUndoStep) {
  struct Row {
    const char* find;
    const char* replace;
    const char* want;
  };
  const Row rows[] = {
      {"41 42", "58 59", "-XY-XY-XYXY-"},
      {"41 42", "5A", "-Z-Z-ZZ-"},
      {"41 42", "31 32 33", "-123-123-123123-"},
      {"41 42", "", "----"},
      {"41 ?? 2D", "2B", "-++AB+"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.replace);
    TCustomQDHexEditor e;
    const Bytes start = Of("-AB-AB-ABAB-");
    test::Load(e, start);
    const search::Pattern p = MakePattern(row.find, TextKind::kHex, false);
    EditorSource source(e);
    const search::FindAllResult all = search::FindAll(source, p, {}, kMaxReplaceAll);
    ReplaceAll(e, all.positions, p.size(), ReplacementBytes(row.replace, TextKind::kHex));
    EXPECT_EQ(test::Content(e), Of(row.want));
    EXPECT_EQ(e.UndoStorage().Count(), 1);
    e.Undo();
    EXPECT_EQ(test::Content(e), start);
  }
}

TEST(FindReplace, ReplacingTheSelectedMatchThenUndo) {
  TCustomQDHexEditor e;
  test::Load(e, Of("ab中文cd"));
  const search::Pattern p = MakePattern("中文", TextKind::kUtf8, false);
  SelectMatch(e, 2, p.size());
  ASSERT_TRUE(SelectionMatches(e, p));
  ReplaceSelectedMatch(e, ReplacementBytes("中", TextKind::kGbk));
  EXPECT_EQ(test::Content(e), (Bytes{'a', 'b', 0xD6, 0xD0, 'c', 'd'}));
  e.Undo();
  EXPECT_EQ(test::Content(e), Of("ab中文cd"));
}

TEST(FindReplace, RefusalsOfReplacementsAndSizeChanges) {
  EXPECT_EQ(ReplacementBytes(" ", TextKind::kHex), Bytes{});
  for (const char* text : {"41 ??", "??"}) {
    try {
      ReplacementBytes(text, TextKind::kHex);
      ADD_FAILURE() << text;
    } catch (const search::PatternError& err) {
      EXPECT_EQ(err.kind(), search::PatternErrorKind::kWildcardReplacement) << text;
    }
  }
  TCustomQDHexEditor e;
  test::Load(e, Of("abc"));
  EXPECT_EQ(ReplaceRefusal(e, 2, 3), "");
  e.SetNoSizeChange(true);
  EXPECT_NE(ReplaceRefusal(e, 2, 3), "");
  EXPECT_EQ(ReplaceRefusal(e, 2, 2), "");
  e.SetReadOnlyView(true);
  EXPECT_NE(ReplaceRefusal(e, 2, 2), "");
}

}  // namespace
}  // namespace hexed::find
