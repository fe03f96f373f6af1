#include "app/fold.h"

namespace app {

namespace {

constexpr FoldEntry kTable[kFoldStates] = {
    {">>>>>>", 506}, {">>>>>", 458}, {">>>>", 413}, {">>>", 344},
    {"<<", 160},     {"<<<", 344},   {"<<<<", 413}, {"<<<<<", 458},
};

}  // namespace

FoldEntry FoldEntryFor(int state) { return kTable[state >= 0 && state < kFoldStates ? state : 0]; }

int NextFoldState(int tag) {
  if (tag <= 0) return 1;
  if (tag >= 7) return 0;
  return tag + 1;
}

int StartFoldState(std::optional<std::int32_t> stored) {
  if (!stored || *stored <= 0 || *stored >= 8) return 0;
  if (*stored >= 3 && *stored <= 5) return 5;
  return *stored;
}

int TagBefore(int state) { return state == 0 ? 7 : state - 1; }

std::optional<int> FoldSwitchState(std::string_view lowerArgument) {
  if (lowerArgument == "<<<") return 5;
  if (lowerArgument == "<<<<") return 6;
  if (lowerArgument == "<<<<<") return 7;
  return std::nullopt;
}

}  // namespace app
