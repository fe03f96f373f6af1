#include "cli/commands.h"

#include "cli/console_host.h"
#include "cli/terminal.h"
#include "engine/format/container_info.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "sfx/package_names.h"
#include "sfx/carried_source.h"
#include "sfx/detect.h"
#include "sfx/image_length.h"

namespace cli {

namespace {

// What the historical formats protect: the key can be read back from
// files below version 46, and above it the data is only mixed.
std::string Strength(int version) {
  return version > 0 && version < 46 ? "\n  strength: key recoverable from the file"
                                     : "\n  strength: obfuscation, not encryption";
}

// A stored size the file's length cannot hold: the file was cut or damaged.
std::string SizeCheck(const engine::ContainerInfo& info) {
  if (!info.sizeDisagrees) return {};
  return "\n  damaged: the stored payload size disagrees with the file's length, which leaves room for " +
         std::to_string(std::max<std::int64_t>(info.payloadRoom, 0)) + " bytes";
}

std::string DescribeAead(const engine::ContainerInfo& info) {
  namespace aead = engine::aead;
  const aead::Header& h = info.aeadHeader;
  std::string text = "authenticated container: ";
  switch (info.aeadCheck) {
    case aead::HeaderCheck::kNewerVersion:
      return text + "format version " + std::to_string(h.version) + " or an algorithm of a newer version";
    case aead::HeaderCheck::kDamaged:
    case aead::HeaderCheck::kCut:
      return text + "damaged header (CRC-32 differs or the header is cut)";
    default:
      break;
  }
  text += "format version " + std::to_string(h.version) + ", Argon2id memory " + std::to_string(h.kdfParams.memoryKiB) +
          " KiB, passes " + std::to_string(h.kdfParams.passes) + ", lanes " + std::to_string(h.kdfParams.lanes) +
          ", ChaCha20-Poly1305, chunks of " + std::to_string(std::uint64_t{1} << std::min<unsigned>(h.chunkExponent, 63)) +
          " bytes (exponent " + std::to_string(h.chunkExponent) + "), " + std::to_string(info.payloadSize) +
          " bytes of chunks";
  if (info.aeadCheck == aead::HeaderCheck::kOutOfRange) text += "; parameters out of range (refused)";
  return text + "\n  strength: authenticated encryption; the key is proved by the header and every chunk is verified";
}

std::string Describe(const engine::ContainerInfo& info) {
  using Kind = engine::ContainerInfo::Kind;
  switch (info.kind) {
    case Kind::kSaveKey: {
      std::optional<std::string> ext = platform::GbkToUtf8(info.extension);
      return "save-key container: version " + std::to_string(info.version) + ", layers " +
             std::to_string(info.layers) + ", compression level " + std::to_string(info.compression) +
             ", extension \"" + (ext ? *ext : std::string("(not GBK text)")) + "\", payload " +
             std::to_string(info.payloadSize) + " bytes, key " + std::to_string(info.keyLength) +
             " bytes, header at offset " + std::to_string(info.headerOffset) + SizeCheck(info) + Strength(info.version);
    }
    case Kind::kNoKey:
      return "no-saved-key container: version " +
             (info.version ? std::to_string(info.version) : std::string("none (no version bytes)")) + ", payload " +
             std::to_string(info.payloadSize) + " bytes" + Strength(info.version);
    case Kind::kAead:
      return DescribeAead(info);
    case Kind::kNone:
      return info.zlibStream ? "not a container (a zlib stream: compressed-only .zak file)" : "not a container";
  }
  return {};
}

// A Windows program: its image length and the package it carries, with the
// carried container's own description. False for any other file.
bool DescribeProgram(const std::string& file, platform::InputFile& in) {
  try {
    sfx::ImageLength(in);
  } catch (const sfx::ImageError&) {
    return false;
  }
  ProgressDisplay display;
  QuestionDesk desk(Answer::kNo);
  ConsoleHost host(display, desk, 0, file, {});  // detection's reports about a damaged header
  const sfx::PackageInfo info = sfx::DetectPackage(host, platform::Utf8ToPath(file));
  std::string text = file + ": Windows program, image " + std::to_string(info.imageLength) + " bytes, ";
  if (!info.Present()) {
    WriteOut(text + "no package\n");
    return true;
  }
  WriteOut(text + "package: carried name \"" + sfx::CarriedNameText(info.carriedName) + "\", carried size " +
           std::to_string(info.carriedSize) + " bytes\n");
  sfx::CarriedSource carried(in, info.CarriedStart(), static_cast<std::uint64_t>(info.carriedSize));
  WriteOut(file + ": carried file: " + Describe(engine::InspectContainer(carried)) + "\n");
  return true;
}

}  // namespace

bool InfoFile(const std::string& file) {
  const std::filesystem::path path = platform::Utf8ToPath(file);
  try {
    platform::InputFile in(path);
    if (!DescribeProgram(file, in)) WriteOut(file + ": " + Describe(engine::InspectContainer(in)) + "\n");
    return true;
  } catch (const platform::IoError& e) {
    WriteErr("jmz: " + file + ": cannot read (" + e.what() + ")\n");
    return false;
  }
}

}  // namespace cli
