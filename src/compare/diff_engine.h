#pragma once
// The streaming comparison of two byte sources of one measured length.
// Both are read once, front to back, in large blocks; memory stays at two
// blocks plus the bytes of one run that crosses a block boundary.
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/byte_source.h"

namespace varomby {

// Receives the runs of differing bytes in increasing order of offset.
class DiffSink {
 public:
  virtual ~DiffSink() = default;
  // One maximal run: its 0-based offset and the bytes of both sides (equal
  // lengths, never empty). Returns false to stop the comparison.
  virtual bool OnRun(std::uint64_t offset, std::span<const std::uint8_t> first,
                     std::span<const std::uint8_t> second) = 0;
  // Called after each block with the number of bytes compared so far.
  // Returns false to stop the comparison.
  virtual bool OnProgress(std::uint64_t /*done*/) { return true; }
};

enum class DiffStatus {
  Completed,      // every byte compared, every run delivered
  Stopped,        // the sink asked to stop
  FirstChanged,   // the first source held fewer or more bytes than measured, or failed to read
  SecondChanged,  // the same for the second source
};

struct DiffSummary {
  DiffStatus status = DiffStatus::Completed;
  std::uint64_t runs = 0;        // runs delivered
  std::uint64_t differing = 0;   // bytes in the delivered runs
};

inline constexpr std::size_t kDefaultDiffBlockSize = 2 * 1024 * 1024;

// Compares `length` bytes of both sources and hands each run to `sink`.
// A source that ends early, reads with an error or still has bytes at
// `length` ends the comparison with the matching *Changed status; a run
// still open at that point is not delivered.
DiffSummary CompareSources(const ByteSource& first, const ByteSource& second, std::uint64_t length,
                           DiffSink& sink, std::size_t blockSize = kDefaultDiffBlockSize);

}  // namespace varomby
