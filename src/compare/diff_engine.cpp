#include "compare/diff_engine.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace varomby {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the word scans take the lowest-addressed byte from the low bits");

constexpr std::uint64_t kLowBits = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
// Equal stretches are skipped with memcmp (vectorised in the C library)
// in steps of this size before the word scan locates the difference.
constexpr std::size_t kSkipStep = 512;

std::uint64_t LoadWord(const std::uint8_t* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Index of the first byte in [from, n) where a and b differ, or n.
std::size_t FindFirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t from, std::size_t n) {
  std::size_t i = from;
  while (n - i >= kSkipStep && std::memcmp(a + i, b + i, kSkipStep) == 0) i += kSkipStep;
  for (; n - i >= 8; i += 8) {
    const std::uint64_t diff = LoadWord(a + i) ^ LoadWord(b + i);
    if (diff != 0) return i + static_cast<std::size_t>(std::countr_zero(diff) / 8);
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Index of the first byte in [from, n) where a and b agree, or n. A zero
// byte of a^b marks agreement; the classic zero-byte test is exact for the
// lowest such byte, which is the one wanted.
std::size_t FindFirstEqual(const std::uint8_t* a, const std::uint8_t* b, std::size_t from, std::size_t n) {
  std::size_t i = from;
  for (; n - i >= 8; i += 8) {
    const std::uint64_t diff = LoadWord(a + i) ^ LoadWord(b + i);
    const std::uint64_t zeroBytes = (diff - kLowBits) & ~diff & kHighBits;
    if (zeroBytes != 0) return i + static_cast<std::size_t>(std::countr_zero(zeroBytes) / 8);
  }
  while (i < n && a[i] != b[i]) ++i;
  return i;
}

// Walks the blocks and joins runs that cross block boundaries.
class RunWalker {
 public:
  explicit RunWalker(DiffSink& sink) : sink_(sink) {}

  // Scans one block starting at file offset `base`; false when the sink stopped.
  bool ScanBlock(std::uint64_t base, const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
      if (!carryOpen_) {
        i = FindFirstDifference(a, b, i, n);
        if (i == n) break;
      }
      const std::size_t end = FindFirstEqual(a, b, i, n);
      if (!ContinueRun(base + i, a + i, b + i, end - i, end < n)) return false;
      i = end;
    }
    return true;
  }

  // Delivers a run still open after the last block.
  bool Finish() {
    if (!carryOpen_) return true;
    carryOpen_ = false;
    return Deliver(carryOffset_, carryFirst_, carrySecond_);
  }

  DiffSummary summary;

 private:
  // Extends or starts the run with `count` differing bytes; `closed` when
  // an equal byte follows inside the block.
  bool ContinueRun(std::uint64_t offset, const std::uint8_t* a, const std::uint8_t* b, std::size_t count,
                   bool closed) {
    if (!carryOpen_ && closed) return Deliver(offset, {a, count}, {b, count});
    if (!carryOpen_) {
      carryOpen_ = true;
      carryOffset_ = offset;
      carryFirst_.clear();
      carrySecond_.clear();
    }
    carryFirst_.insert(carryFirst_.end(), a, a + count);
    carrySecond_.insert(carrySecond_.end(), b, b + count);
    return closed ? Finish() : true;
  }

  bool Deliver(std::uint64_t offset, std::span<const std::uint8_t> first, std::span<const std::uint8_t> second) {
    ++summary.runs;
    summary.differing += first.size();
    return sink_.OnRun(offset, first, second);
  }

  DiffSink& sink_;
  bool carryOpen_ = false;
  std::uint64_t carryOffset_ = 0;
  std::vector<std::uint8_t> carryFirst_;
  std::vector<std::uint8_t> carrySecond_;
};

bool ReadExactly(const ByteSource& source, std::uint64_t offset, std::span<std::uint8_t> out) {
  return source.ReadAt(offset, out) == static_cast<std::int64_t>(out.size());
}

// A source that still yields a byte at `length` grew while it was read.
bool EndsAt(const ByteSource& source, std::uint64_t length) {
  std::uint8_t probe = 0;
  return source.ReadAt(length, {&probe, 1}) == 0;
}

}  // namespace

DiffSummary CompareSources(const ByteSource& first, const ByteSource& second, std::uint64_t length,
                           DiffSink& sink, std::size_t blockSize) {
  blockSize = std::max<std::size_t>(blockSize, 1);
  const std::size_t bufferSize = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, length));
  std::vector<std::uint8_t> blockA(bufferSize);
  std::vector<std::uint8_t> blockB(bufferSize);
  RunWalker walker(sink);
  auto ended = [&walker](DiffStatus status) {
    walker.summary.status = status;
    return walker.summary;
  };

  for (std::uint64_t done = 0; done < length;) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(bufferSize, length - done));
    if (!ReadExactly(first, done, {blockA.data(), count})) return ended(DiffStatus::FirstChanged);
    if (!ReadExactly(second, done, {blockB.data(), count})) return ended(DiffStatus::SecondChanged);
    if (!walker.ScanBlock(done, blockA.data(), blockB.data(), count)) return ended(DiffStatus::Stopped);
    done += count;
    if (done < length && !sink.OnProgress(done)) return ended(DiffStatus::Stopped);
  }
  if (!EndsAt(first, length)) return ended(DiffStatus::FirstChanged);
  if (!EndsAt(second, length)) return ended(DiffStatus::SecondChanged);
  if (!walker.Finish()) return ended(DiffStatus::Stopped);
  sink.OnProgress(length);
  return ended(DiffStatus::Completed);
}

}  // namespace varomby
