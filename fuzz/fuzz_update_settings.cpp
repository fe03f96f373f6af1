// The update-settings reader on any downloaded file: the file is always
// deleted, every notice is logged and shown once, cut to its length, and a
// second copy of the same file changes nothing (the file read first wins).
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/text.h"
#include "utils/update/update_settings.h"

namespace {

bool SameState(const utils::UpdateState& a, const utils::UpdateState& b) {
  return a.announcedVersion == b.announcedVersion && a.updateNotice == b.updateNotice && a.orbNotice12 == b.orbNotice12 &&
         a.orbNotice3 == b.orbNotice3 && a.orbNotice5 == b.orbNotice5 && a.orbNotice6 == b.orbNotice6 &&
         a.homeUrl == b.homeUrl && a.helpUrl == b.helpUrl && a.updateUrl == b.updateUrl;
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::RunFolder& run = fuzz::RunFolder::Get();
  run.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kFirst = "127.0.0.1", kSecond = "127.0.0.1:8080";

  utils::UpdateState state;
  const utils::UpdateOutcome outcome = utils::ProcessUpdateFile(state, run.Put("xcjm.ini", bytes), kFirst, kSecond);
  fuzz::Check(fuzz::Entries(run.src).empty(), "the settings file is deleted");

  fuzz::Check(outcome.logLines.size() == outcome.notices.size(), "every notice is logged");
  for (std::size_t i = 0; i < outcome.notices.size(); ++i) {
    const std::string& n = outcome.notices[i];
    fuzz::Check(!n.empty() && platform::Utf8CharCount(n) <= utils::kNoticeLength, "a notice is cut to its length");
    fuzz::Check(outcome.logLines[i] == " " + n, "the log shows the notices in their order");
    fuzz::Check(fuzz::IsUtf8(n), "a notice is UTF-8");
  }
  for (const std::string* url : {&state.homeUrl, &state.helpUrl, &state.updateUrl}) {
    if (url->empty()) continue;
    fuzz::Check(platform::Utf8CharCount(*url) <= utils::kAddressLength + 7, "an address is cut to its length");
  }

  const utils::UpdateState before = state;
  const utils::UpdateOutcome again = utils::ProcessUpdateFile(state, run.Put("xcjm.ini", bytes), kFirst, kSecond);
  fuzz::Check(again.notices.empty() && SameState(state, before), "the file read first wins");
  return 0;
}
