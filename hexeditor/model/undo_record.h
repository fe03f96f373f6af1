// Layout of one undo record in the undo storage (little-endian, packed):
//
//   0  size (4)       total record size, repeated in the last 4 bytes
//   4  flags (4)      kind bit and state bits below
//   8  caret (8)      caret byte position when the record was made
//  16  pos (8)        position of the change
//  24  count (8)      bytes of the change (records grouped, for kind 9)
//  32  count2 (8)     old length for a replace, else 0
//  40  translation (1)
//  41  bytes per unit (4)
//  45  data, max(n, 1) bytes
//      description characters and their count (4), when kFlagDescription
//      selection start, end, anchor (24), when kFlagSelection
//      size again (4)
//
// The records live in memory only, so positions take 8 bytes each.
#pragma once

#include <cstdint>
#include <string_view>

namespace hexed {

enum class UndoKind : int {
  kChangeBytes = 0,
  kRemoveData = 1,
  kInsertBuffer = 2,
  kReplace = 3,
  kAppendBuffer = 4,
  kInsertNibble = 5,
  kDeleteNibble = 6,
  kConvert = 7,
  kCursorMovement = 8,
  kMultipleModification = 9,
  kAllDataSaved = 10,
  kNone = 11,
};

namespace undo {

inline constexpr int kHeadSize = 45;
inline constexpr int kOffSize = 0;
inline constexpr int kOffFlags = 4;
inline constexpr int kOffCaret = 8;
inline constexpr int kOffPos = 16;
inline constexpr int kOffCount = 24;
inline constexpr int kOffCount2 = 32;
inline constexpr int kOffTranslation = 40;
inline constexpr int kOffBytesPerUnit = 41;
// Selection start, end and anchor after the data.
inline constexpr int kSelectionSize = 24;
// Head plus the one byte of data every record has; shorter storage is broken.
inline constexpr int kMinRecordHead = kHeadSize + 1;
// Smallest record: head, one data byte, trailing size.
inline constexpr int kMinRecordSize = kHeadSize + 5;

inline constexpr std::int32_t kKindMask = 0x7FF;
inline constexpr std::int32_t kFlagMarkAtPos = 0x800;
inline constexpr std::int32_t kFlagMarkAfterPos = 0x1000;
inline constexpr std::int32_t kFlagModified = 0x2000;
inline constexpr std::int32_t kFlagSecondNibble = 0x4000;
inline constexpr std::int32_t kFlagCharField = 0x8000;
inline constexpr std::int32_t kFlagSelection = 0x10000;
inline constexpr std::int32_t kFlagInsertMode = 0x20000;
inline constexpr std::int32_t kFlagUnicode = 0x40000;
inline constexpr std::int32_t kFlagBigEndian = 0x80000;
inline constexpr std::int32_t kFlagDescription = 0x100000;
// The data area holds the 8-byte id of a piece list kept beside the stream
// (TQDHUndoStorage::Held) instead of the bytes themselves.
inline constexpr std::int32_t kFlagHeldPieces = 0x200000;
// Ranges a record keeps (removed, overwritten or shifted bytes) are held by
// reference from this size on.
inline constexpr std::int64_t kHeldPiecesFrom = std::int64_t{64} << 10;

// The fixed part of a record.
struct RecordHead {
  std::int32_t size = 0;
  std::int32_t flags = 0;
  std::int64_t caret = 0;
  std::int64_t pos = 0;
  std::int64_t count = 0;
  std::int64_t count2 = 0;
  std::uint8_t translation = 0;
  std::int32_t bytesPerUnit = 1;
};

std::int32_t GetInt32(const std::uint8_t* p);
void PutInt32(std::uint8_t* p, std::int32_t v);
std::int64_t GetInt64(const std::uint8_t* p);
void PutInt64(std::uint8_t* p, std::int64_t v);

// Reads / writes the head at p.
RecordHead ReadHead(const std::uint8_t* p);
void WriteHead(std::uint8_t* p, const RecordHead& head);

// Kind bit of a kind.
constexpr std::int32_t KindBit(UndoKind kind) { return std::int32_t{1} << static_cast<int>(kind); }
// The kind of a record: the lowest set bit among bits 0..10, kNone if none.
UndoKind KindOf(std::int32_t flags);
// The description used when the caller gives none.
std::string_view DefaultDescription(UndoKind kind);

}  // namespace undo
}  // namespace hexed
