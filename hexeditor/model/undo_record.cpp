#include "hexeditor/model/undo_record.h"

namespace hexed::undo {

std::int32_t GetInt32(const std::uint8_t* p) {
  const std::uint32_t v = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
                          (std::uint32_t{p[3]} << 24);
  return static_cast<std::int32_t>(v);
}

void PutInt32(std::uint8_t* p, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  p[0] = static_cast<std::uint8_t>(u);
  p[1] = static_cast<std::uint8_t>(u >> 8);
  p[2] = static_cast<std::uint8_t>(u >> 16);
  p[3] = static_cast<std::uint8_t>(u >> 24);
}

std::int64_t GetInt64(const std::uint8_t* p) {
  const std::uint64_t low = static_cast<std::uint32_t>(GetInt32(p));
  const std::uint64_t high = static_cast<std::uint32_t>(GetInt32(p + 4));
  return static_cast<std::int64_t>(low | (high << 32));
}

void PutInt64(std::uint8_t* p, std::int64_t v) {
  const auto u = static_cast<std::uint64_t>(v);
  PutInt32(p, static_cast<std::int32_t>(static_cast<std::uint32_t>(u)));
  PutInt32(p + 4, static_cast<std::int32_t>(static_cast<std::uint32_t>(u >> 32)));
}

RecordHead ReadHead(const std::uint8_t* p) {
  RecordHead h;
  h.size = GetInt32(p + kOffSize);
  h.flags = GetInt32(p + kOffFlags);
  h.caret = GetInt64(p + kOffCaret);
  h.pos = GetInt64(p + kOffPos);
  h.count = GetInt64(p + kOffCount);
  h.count2 = GetInt64(p + kOffCount2);
  h.translation = p[kOffTranslation];
  h.bytesPerUnit = GetInt32(p + kOffBytesPerUnit);
  return h;
}

void WriteHead(std::uint8_t* p, const RecordHead& h) {
  PutInt32(p + kOffSize, h.size);
  PutInt32(p + kOffFlags, h.flags);
  PutInt64(p + kOffCaret, h.caret);
  PutInt64(p + kOffPos, h.pos);
  PutInt64(p + kOffCount, h.count);
  PutInt64(p + kOffCount2, h.count2);
  p[kOffTranslation] = h.translation;
  PutInt32(p + kOffBytesPerUnit, h.bytesPerUnit);
}

UndoKind KindOf(std::int32_t flags) {
  for (int k = 0; k <= 10; ++k) {
    if ((flags >> k) & 1) return static_cast<UndoKind>(k);
  }
  return UndoKind::kNone;
}

std::string_view DefaultDescription(UndoKind kind) {
  switch (kind) {
    case UndoKind::kChangeBytes: return "Change byte(s)";
    case UndoKind::kRemoveData: return "Remove data";
    case UndoKind::kInsertBuffer: return "Insert buffer";
    case UndoKind::kReplace: return "Replace";
    case UndoKind::kAppendBuffer: return "Append buffer";
    case UndoKind::kInsertNibble: return "Insert nibble";
    case UndoKind::kDeleteNibble: return "Delete nibble";
    case UndoKind::kConvert: return "Convert";
    case UndoKind::kCursorMovement: return "Cursor movement";
    case UndoKind::kMultipleModification: return "Multiple modification";
    case UndoKind::kAllDataSaved: return "All data saved";
    case UndoKind::kNone: break;
  }
  return "";
}

}  // namespace hexed::undo
