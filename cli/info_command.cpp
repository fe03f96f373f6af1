#include "cli/commands.h"

#include "cli/terminal.h"
#include "engine/container_info.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace cli {

namespace {

std::string Describe(const engine::ContainerInfo& info) {
  using Kind = engine::ContainerInfo::Kind;
  switch (info.kind) {
    case Kind::kSaveKey: {
      std::optional<std::string> ext = platform::GbkToUtf8(info.extension);
      return "save-key container: version " + std::to_string(info.version) + ", layers " +
             std::to_string(info.layers) + ", compression level " + std::to_string(info.compression) +
             ", extension \"" + (ext ? *ext : std::string("(not GBK text)")) + "\", payload " +
             std::to_string(info.payloadSize) + " bytes, key " + std::to_string(info.keyLength) +
             " bytes, header at offset " + std::to_string(info.headerOffset);
    }
    case Kind::kNoKey:
      return "no-saved-key container: version " +
             (info.version ? std::to_string(info.version) : std::string("none (no version bytes)")) + ", payload " +
             std::to_string(info.payloadSize) + " bytes";
    case Kind::kNone:
      return info.zlibStream ? "not a container (a zlib stream: compressed-only .zak file)" : "not a container";
  }
  return {};
}

}  // namespace

bool InfoFile(const std::string& file) {
  const std::filesystem::path path = platform::Utf8ToPath(file);
  try {
    platform::InputFile in(path);
    WriteOut(file + ": " + Describe(engine::InspectContainer(in)) + "\n");
    return true;
  } catch (const platform::IoError& e) {
    WriteErr("jmz: " + file + ": cannot read (" + e.what() + ")\n");
    return false;
  }
}

}  // namespace cli
