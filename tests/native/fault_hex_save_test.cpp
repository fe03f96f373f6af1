// The hex editor's save over an existing file with one file call failing,
// for each call the save makes: the save fails with its error and the old
// file stays as it was, with nothing beside it.
#include <errno.h>

#include "fault_layer.h"
#include "hexeditor/errors.h"
#include "hexeditor/editor/hex_editor_ex.h"
#include "hexeditor/test_support.h"
#include "job_fixture.h"

namespace {

using testing_support::Content;
namespace faults = testing_support::faults;
namespace fs = std::filesystem;

class FaultHexSaveTest : public testing_support::JobTest {};

TEST_F(FaultHexSaveTest, AFailedSaveKeepsTheFileItWasToReplace) {
  hexed::test::RecordingHost host;
  hexed::TQDHexEditorEx editor;
  editor.SetHost(&host);
  const std::string data = Content(2 * hexed::kSaveChunkSize + 1000, 5);  // three save chunks
  hexed::test::Load(editor, hexed::test::Bytes(data.begin(), data.end()));
  Write("old.bin", "the file the save replaces");

  faults::CountOnly();
  editor.SaveFile(Path("old.bin"), false);
  faults::Off();
  ASSERT_EQ(Read("old.bin"), data);
  std::vector<std::pair<faults::Op, unsigned>> calls;
  for (faults::Op op : faults::kOps) calls.emplace_back(op, faults::Calls(op));
  ASSERT_GE(calls[2].second, 3u);  // the writes

  for (const auto& [op, count] : calls) {
    for (unsigned k = 1; k <= count; ++k) {
      for (int error : {EIO, ENOSPC}) {
        SCOPED_TRACE(faults::Name(op) + " #" + std::to_string(k) + " errno " + std::to_string(error));
        Write("old.bin", "the file the save replaces");
        faults::FailNth(op, k, error);
        EXPECT_THROW(editor.SaveFile(Path("old.bin"), false), hexed::FileError);
        faults::Off();
        EXPECT_TRUE(faults::Fired());
        EXPECT_EQ(Read("old.bin"), "the file the save replaces");
        EXPECT_EQ(Names(""), (std::vector<std::string>{"old.bin", "out", "tmp"}));
      }
    }
  }
}

}  // namespace
