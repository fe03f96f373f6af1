#include "engine/format/save_key_reader.h"

#include <algorithm>

#include "engine/cipher/cipher.h"
#include "platform/text.h"

namespace engine {

namespace {

constexpr unsigned kMaxStoredKeyLength = 5012;

bool InRetryRange(std::uint64_t size) { return size >= kRetryFrom && size <= kRetryTo; }

enum class AttemptKind { kOpened, kNotContainer, kHeaderRefusal, kFinalRefusal, kStopped };

struct Attempt {
  AttemptKind kind;
  std::string message;
  std::optional<OpenedContainer> container;
};

Attempt Outcome(AttemptKind kind, std::string_view message = {}) { return {kind, std::string(message), std::nullopt}; }

// The key stream the body was enciphered with. Versions below 46 rebuild it
// from the stored key check; newer ones from the typed key, completed to 12
// bytes with the filler decoded from the check, and then conditioned.
std::optional<Bytes> RebuildKeyStream(const HeaderProbe& h, ByteSpan typedKey, ByteSpan check, const RunFlag& running) {
  const Bytes decoded = DecodeKeyCheck(check, h.r2, h.mixed.r1, h.mixed.r3, h.version);
  if (h.version < 46) return BuildKeyStream(decoded, h.r1, h.r2, h.r3, h.version);
  Bytes filled(typedKey.begin(), typedKey.end());
  for (std::size_t n = filled.size(); n < decoded.size(); ++n) filled.push_back(decoded[n]);
  Bytes stream = BuildKeyStream(filled, h.r1, h.r2, h.r3, h.version);
  const Bytes copy = stream;
  if (ConditionKeyStream(stream, copy, h.version <= 60 ? 30 : 36, running) != ConditionResult::kDone)
    return std::nullopt;
  return stream;
}

// The size a damaged stored size is replaced by. Versions up to 35 compute
// it with one key check fewer than their containers hold (the trailer carries
// a copy too), so their payload ends K bytes earlier: taking the computed size
// would add K trailer bytes and turn the last bytes of the payload into tail
// bytes they were not enciphered as, which spoils a compressed payload's
// checksum.
std::uint64_t RepairedSize(int version, std::uint64_t computed, std::int64_t k) {
  const auto check = static_cast<std::uint64_t>(k);
  if (version <= 35 && computed > check) return computed - check;
  return computed;
}

Attempt TryHeaderAt(platform::ByteSource& source, ContainerSpan span, std::uint64_t headerOffset, ByteSpan key,
                    ReaderEvents& events, const RunFlag& running) {
  // The probe, the size and the extension length must lie in the file, as
  // the header test of the info reader asks; a shorter file is no container.
  if (span.size < headerOffset + kProbeLength + 9) return Outcome(AttemptKind::kNotContainer);
  source.Seek(span.start + headerOffset);
  std::uint8_t probe[kProbeLength];
  source.ReadExact(probe, sizeof probe);
  const HeaderProbe h = DecodeProbe(probe);
  if (!running) return Outcome(AttemptKind::kStopped);
  if (!h.markerOk) return Outcome(AttemptKind::kNotContainer);
  if (key.empty()) return Outcome(AttemptKind::kFinalRefusal, read_text::kKeyEmpty);
  if (h.version > kMaxVersionWithoutAsking && !events.AskTryNewerVersion())
    return Outcome(AttemptKind::kFinalRefusal, read_text::kNewerDeclined);
  if (!HasBodyRule(h.version)) return Outcome(AttemptKind::kHeaderRefusal, read_text::kVersionDamaged);

  events.Status(read_text::kStatus);
  OpenedContainer c;
  SaveKeyFields& f = c.fields;
  f.version = h.version;
  f.r1 = h.r1;
  f.r2 = h.r2;
  f.r3 = h.r3;
  f.layers = h.layers;

  std::uint8_t sizeBytes[8];
  source.ReadExact(sizeBytes, sizeof sizeBytes);
  std::uint64_t storedSize = h.DecodeSize(sizeBytes);
  if (storedSize < 1)
    events.Report(std::string(read_text::kSizeBelowOne));
  else if (storedSize > kMaxPayload)
    events.Report(std::string(read_text::kSizeAbove4G));

  std::uint8_t storedLength = 0;
  source.ReadExact(&storedLength, 1);
  std::size_t extLength = h.DecodeExtensionLength(storedLength);
  if (extLength > kMaxExtension) {
    extLength = 4;
    events.Report(std::string(read_text::kExtensionLength));
  }
  if (!running) return Outcome(AttemptKind::kStopped);

  // A file too short for its own header is damaged, not unreadable.
  if (span.size < headerOffset + kFixedHeader + extLength)
    return Outcome(AttemptKind::kHeaderRefusal, read_text::kComputedBelowOne);
  if (extLength > 0) {
    Bytes stored(extLength);
    source.ReadExact(stored.data(), stored.size());
    if (!running) return Outcome(AttemptKind::kStopped);
    f.extension = h.DecodeExtension(stored);
    std::optional<std::string> valid = ValidStoredExtension(f.extension);
    if (!valid) events.Report(std::string(read_text::kExtensionDamaged));
    c.extension = platform::Utf8Prefix(valid ? *valid : std::string(kDamagedExtension), kMaxOutputExtension);
  }

  f.keyLength = h.KeyLength();
  f.compression = h.Compression();
  if (f.compression > 3) {
    f.compression = 2;
    events.Report(std::string(read_text::kCompressionDamaged));
  }
  if (!running) return Outcome(AttemptKind::kStopped);

  if (f.keyLength < 1 || f.keyLength > kMaxStoredKeyLength)
    return Outcome(AttemptKind::kHeaderRefusal, read_text::kKeyLengthDamaged);
  if (key.size() != f.keyLength) return Outcome(AttemptKind::kHeaderRefusal, read_text::kKeyMismatch);

  // The writer puts the header at 260 exactly when the payload has 1,024
  // bytes or more, so where the header was found tells where the key check
  // and the body lie, even when the stored size is damaged.
  c.keyCheckPoint = KeyCheckPoint(f.version, f.r2);
  c.headerInsideBody = headerOffset == kHeaderPoint;
  if (c.headerInsideBody) source.Seek(span.start + c.keyCheckPoint + kFixedHeader + extLength);

  // The payload size the file's length allows; old versions are tolerated
  // with one key check fewer.
  const std::int64_t k = static_cast<std::int64_t>(FilledKeyLength(f.keyLength));
  const std::uint64_t checkAt =
      c.headerInsideBody ? c.keyCheckPoint + kFixedHeader + extLength : headerOffset + kFixedHeader + extLength;
  if (span.size < checkAt + static_cast<std::uint64_t>(k))
    return Outcome(AttemptKind::kHeaderRefusal, read_text::kComputedBelowOne);
  std::int64_t computed = PayloadRoom(span.size, extLength, f.keyLength, f.version);
  if (computed < 1) {
    computed = 0;
    events.Report(std::string(read_text::kComputedBelowOne));
  } else if (computed > static_cast<std::int64_t>(kMaxPayload)) {
    computed = static_cast<std::int64_t>(kMaxPayload);
    events.Report(std::string(read_text::kComputedAbove4G));
  }
  const auto computedSize = static_cast<std::uint64_t>(computed);
  if (!StoredSizeFits(storedSize, computed, f.keyLength))
    events.Report(std::string(read_text::kSizeMismatch) + std::to_string(storedSize) + "<>" +
                  std::to_string(computedSize) + ":");
  if (storedSize > computedSize || storedSize < 1) storedSize = RepairedSize(f.version, computedSize, k);
  f.payloadSize = storedSize;

  Bytes check(static_cast<std::size_t>(k));
  source.ReadExact(check.data(), check.size());
  if (!VerifyKey(key, f.keyLength, check, f.r2, h.mixed.r1, h.mixed.r3, f.version))
    return Outcome(AttemptKind::kHeaderRefusal, read_text::kKeyMismatch);
  c.bodyOffset = source.Position();

  std::optional<Bytes> stream = RebuildKeyStream(h, key, check, running);
  if (!stream || !running) return Outcome(AttemptKind::kStopped);
  c.keyStream = std::move(*stream);
  c.firstKeyByte = key[0];
  return {AttemptKind::kOpened, {}, std::move(c)};
}

}  // namespace

std::optional<std::string> ValidStoredExtension(std::string_view gbk) {
  std::optional<std::string> utf8 = platform::GbkToUtf8(gbk);
  if (!utf8 || utf8->empty() || (*utf8)[0] != '.') return std::nullopt;
  const std::size_t chars = platform::Utf8CharCount(*utf8);
  if (chars < 2 || chars > kMaxExtension) return std::nullopt;
  constexpr std::string_view kForbidden = "<>:\"/\\|?*";
  for (unsigned char ch : *utf8)
    if (ch < 0x20 || kForbidden.find(static_cast<char>(ch)) != std::string_view::npos) return std::nullopt;
  if (utf8->find_first_not_of('.') == std::string::npos) return std::nullopt;
  return utf8;
}

OpenOutcome OpenSaveKeyContainer(platform::ByteSource& source, ContainerSpan span, ByteSpan typedKey,
                                 ReaderEvents& events, const RunFlag& running) {
  bool retried = false;
  std::optional<std::string> saved;
  std::uint64_t offset = span.size < kProbeAtStartBelow ? 0 : kHeaderPoint;
  for (;;) {
    Attempt a = TryHeaderAt(source, span, offset, typedKey, events, running);
    const bool mayRetry = !retried && InRetryRange(span.size);
    switch (a.kind) {
      case AttemptKind::kOpened:
        return {OpenResult::kOpened, std::move(a.container)};
      case AttemptKind::kStopped:
        return {OpenResult::kStopped, std::nullopt};
      case AttemptKind::kFinalRefusal:
        events.Report(a.message);
        return {OpenResult::kRefused, std::nullopt};
      case AttemptKind::kNotContainer:
        if (mayRetry) break;
        if (saved) {
          events.Report(*saved);
          return {OpenResult::kRefused, std::nullopt};
        }
        return {OpenResult::kNotContainer, std::nullopt};
      case AttemptKind::kHeaderRefusal:
        if (mayRetry) {
          saved = a.message;
          break;
        }
        events.Report(a.message);
        return {OpenResult::kRefused, std::nullopt};
    }
    retried = true;
    offset = kHeaderPoint;
  }
}

bool DecryptSaveKeyBody(platform::ByteSource& source, ContainerSpan span, const OpenedContainer& c,
                        platform::ByteSink& sink, BodyMonitor& monitor) {
  const SaveKeyFields& f = c.fields;
  const std::uint64_t size = f.payloadSize;
  BodyCipher cipher = BodyCipher::SaveKey(c.keyStream, f.version, c.firstKeyByte, size);
  BodyPump pump(source, sink, cipher, Direction::kDecrypt, monitor);
  if (!c.headerInsideBody) {
    source.Seek(c.bodyOffset);
    return pump.Move(size);
  }
  // Exactly `size` payload bytes, jumping over the header and the key check
  // only where the position reaches them: a damaged stored size may end the
  // body before either point.
  struct Skip {
    std::uint64_t at;     // payload position
    std::uint64_t bytes;  // file bytes jumped over there
  };
  const Skip skips[] = {{kHeaderPoint, kFixedHeader + f.extension.size()},
                        {c.keyCheckPoint, FilledKeyLength(f.keyLength)}};
  std::uint64_t fileOffset = span.start;
  source.Seek(fileOffset);
  for (const Skip& skip : skips) {
    if (skip.at >= size) break;
    const std::uint64_t run = skip.at - pump.Position();
    if (!pump.Move(run)) return false;
    fileOffset += run + skip.bytes;
    source.Seek(fileOffset);
  }
  return pump.Move(size - pump.Position());
}

}  // namespace engine
