#include "hexeditor/model/byte_search.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"

namespace hexed::search {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// How common a byte value is in typical files, higher = more common: zeros and
// 0xFF fill, blanks, line ends, letters and digits. The rarest exact byte of a
// pattern stops memchr least often.
int Commonness(std::uint8_t b) {
  if (b == 0x00) return 9;
  if (b == 0xFF || b == ' ') return 8;
  if (b >= 'a' && b <= 'z') return 7;
  if (b == '\n' || b == '\r' || b == '\t') return 6;
  if ((b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) return 5;
  if (b < 0x80) return 4;
  return 3;
}

// The exact pattern byte to look for first, or kNone when none is exact.
std::size_t AnchorIndex(const Pattern& p) {
  std::size_t best = kNone;
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (!p.bytes[i].IsExact()) continue;
    if (best == kNone || Commonness(p.bytes[i].want) < Commonness(p.bytes[best].want)) best = i;
  }
  return best;
}

const std::uint8_t* LastByte(const std::uint8_t* begin, std::uint8_t value, std::size_t n) {
#if defined(__GLIBC__)
  return static_cast<const std::uint8_t*>(memrchr(begin, value, n));
#else
  for (const std::uint8_t* s = begin + n; s != begin;)
    if (*--s == value) return s;
  return nullptr;
#endif
}

// Finds pattern starts within one buffer that holds every byte the starts need.
class Scanner {
 public:
  explicit Scanner(const Pattern& p) : p_(p), anchor_(AnchorIndex(p)) {}

  // First start in [lo, hi) where the pattern matches buf, or kNone.
  std::size_t First(const std::uint8_t* buf, std::size_t lo, std::size_t hi) const {
    if (anchor_ == kNone) return FirstBySteps(buf, lo, hi);
    const std::uint8_t value = p_.bytes[anchor_].want;
    const std::uint8_t* s = buf + lo + anchor_;
    const std::uint8_t* end = buf + hi + anchor_;
    while (s < end) {
      s = static_cast<const std::uint8_t*>(std::memchr(s, value, static_cast<std::size_t>(end - s)));
      if (s == nullptr) return kNone;
      const std::size_t start = static_cast<std::size_t>(s - buf) - anchor_;
      if (MatchesAt(buf + start)) return start;
      ++s;
    }
    return kNone;
  }

  // Last start in [lo, hi) where the pattern matches buf, or kNone.
  std::size_t Last(const std::uint8_t* buf, std::size_t lo, std::size_t hi) const {
    if (anchor_ == kNone) return LastBySteps(buf, lo, hi);
    const std::uint8_t value = p_.bytes[anchor_].want;
    const std::uint8_t* begin = buf + lo + anchor_;
    std::size_t n = hi - lo;
    while (n > 0) {
      const std::uint8_t* s = LastByte(begin, value, n);
      if (s == nullptr) return kNone;
      const std::size_t start = static_cast<std::size_t>(s - buf) - anchor_;
      if (MatchesAt(buf + start)) return start;
      n = static_cast<std::size_t>(s - begin);
    }
    return kNone;
  }

 private:
  bool MatchesAt(const std::uint8_t* s) const {
    for (std::size_t i = 0; i < p_.size(); ++i)
      if (!p_.bytes[i].Matches(s[i])) return false;
    return true;
  }
  // Patterns of folded letters and wildcards only: no byte for memchr.
  std::size_t FirstBySteps(const std::uint8_t* buf, std::size_t lo, std::size_t hi) const {
    for (std::size_t i = lo; i < hi; ++i)
      if (MatchesAt(buf + i)) return i;
    return kNone;
  }
  std::size_t LastBySteps(const std::uint8_t* buf, std::size_t lo, std::size_t hi) const {
    for (std::size_t i = hi; i > lo; --i)
      if (MatchesAt(buf + i - 1)) return i - 1;
    return kNone;
  }

  const Pattern& p_;
  std::size_t anchor_;
};

// One search: walks ranges of start positions chunk by chunk in either
// direction. A chunk of k starts reads k + m - 1 bytes, so consecutive chunks
// overlap by m - 1 bytes and a match across their edge is seen whole.
class Walk {
 public:
  Walk(ByteSource& source, const Pattern& pattern, const FindOptions& options, std::int64_t total)
      : source_(source),
        scanner_(pattern),
        m_(pattern.size()),
        startsPerChunk_(std::max(options.chunkSize, m_) - (m_ - 1)),
        progress_(options.progress),
        total_(total) {}

  FindStatus Forward(std::int64_t lo, std::int64_t hi, std::int64_t& found) {
    for (std::int64_t first = lo; first < hi;) {
      const std::size_t k = ChunkStarts(hi - first);
      const std::uint8_t* buf = Load(first, k);
      if (const std::size_t i = scanner_.First(buf, 0, k); i != kNone) {
        found = first + static_cast<std::int64_t>(i);
        return FindStatus::kFound;
      }
      first += static_cast<std::int64_t>(k);
      if (!Advance(k)) return FindStatus::kCancelled;
    }
    return FindStatus::kNotFound;
  }

  // Every match starting in [lo, hi), each after the end of the one before;
  // false when cancelled. Stops after `limit` matches.
  bool All(std::int64_t lo, std::int64_t hi, std::size_t limit, std::vector<std::int64_t>& found) {
    std::int64_t next = lo;  // no match may start before the end of the last one
    for (std::int64_t first = lo; first < hi && found.size() < limit;) {
      const std::size_t k = ChunkStarts(hi - first);
      const std::uint8_t* buf = Load(first, k);
      std::size_t i = static_cast<std::size_t>(std::max<std::int64_t>(next - first, 0));
      while (i < k && found.size() < limit) {
        const std::size_t j = scanner_.First(buf, i, k);
        if (j == kNone) break;
        found.push_back(first + static_cast<std::int64_t>(j));
        i = j + m_;
        next = first + static_cast<std::int64_t>(i);
      }
      first += static_cast<std::int64_t>(k);
      if (!Advance(k)) return false;
    }
    return true;
  }

  FindStatus Backward(std::int64_t lo, std::int64_t hi, std::int64_t& found) {
    for (std::int64_t end = hi; end > lo;) {
      const std::size_t k = ChunkStarts(end - lo);
      const std::int64_t first = end - static_cast<std::int64_t>(k);
      const std::uint8_t* buf = Load(first, k);
      if (const std::size_t i = scanner_.Last(buf, 0, k); i != kNone) {
        found = first + static_cast<std::int64_t>(i);
        return FindStatus::kFound;
      }
      end = first;
      if (!Advance(k)) return FindStatus::kCancelled;
    }
    return FindStatus::kNotFound;
  }

 private:
  std::size_t ChunkStarts(std::int64_t left) const {
    return static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(startsPerChunk_)));
  }
  const std::uint8_t* Load(std::int64_t first, std::size_t starts) {
    const std::size_t n = starts + m_ - 1;
    if (buffer_.size() < n) buffer_.resize(n);
    source_.Read(first, buffer_.data(), n);
    return buffer_.data();
  }
  bool Advance(std::size_t starts) {
    done_ += static_cast<std::int64_t>(starts);
    return !progress_ || progress_(done_, total_);
  }

  ByteSource& source_;
  Scanner scanner_;
  std::size_t m_;
  std::size_t startsPerChunk_;
  const ProgressFn& progress_;
  std::int64_t total_;
  std::int64_t done_ = 0;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace

void MemorySource::Read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) {
  if (offset < 0 || offset > size_ || static_cast<std::int64_t>(size) > size_ - offset)
    throw EQDHexEditor(msg::kDataBounds);
  std::memcpy(buffer, data_ + offset, size);
}

FindResult Find(ByteSource& source, const Pattern& pattern, const FindOptions& options) {
  const std::int64_t size = source.Size();
  const auto m = static_cast<std::int64_t>(pattern.size());
  if (m == 0 || m > size) return {};
  const std::int64_t starts = size - m + 1;  // positions a match can start at
  const std::int64_t from = std::clamp<std::int64_t>(options.from, 0, starts);
  // The first leg runs from `from` towards the end the search goes to; the
  // wrapped leg covers the rest.
  const std::int64_t firstLeg = options.backward ? from : starts - from;
  Walk walk(source, pattern, options, options.wrap ? starts : firstLeg);
  FindResult r;
  r.status = options.backward ? walk.Backward(0, from, r.position) : walk.Forward(from, starts, r.position);
  if (r.status == FindStatus::kNotFound && options.wrap) {
    r.status = options.backward ? walk.Backward(from, starts, r.position) : walk.Forward(0, from, r.position);
    r.wrapped = r.status == FindStatus::kFound;
  }
  if (r.status != FindStatus::kFound) r.position = -1;
  return r;
}

FindAllResult FindAll(ByteSource& source, const Pattern& pattern, const FindOptions& options, std::size_t limit) {
  FindAllResult r;
  const std::int64_t size = source.Size();
  const auto m = static_cast<std::int64_t>(pattern.size());
  if (m == 0 || m > size) return r;
  const std::int64_t starts = size - m + 1;
  Walk walk(source, pattern, options, starts);
  // One more than the limit tells a full list from one that was cut.
  r.cancelled = !walk.All(0, starts, limit + 1, r.positions);
  if (r.cancelled) r.positions.clear();
  r.overLimit = r.positions.size() > limit;
  if (r.overLimit) r.positions.pop_back();
  return r;
}

}  // namespace hexed::search
