#pragma once
// Bookkeeping of the memory ranges a 32-bit machine hands out: which ranges
// are taken, whether an access lies inside one of them, and where a free
// range of a given size begins. Addresses are 32-bit; sums are done in 64
// bits so that no range can wrap around the top of the address space.
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace varomby {

class ReservationMap {
 public:
  enum class Kind {
    kAllocated,  // handed out by Allocate; may be freed, read and written
    kFixed,      // the machine's own memory (stack); read and written, never freed
    kReadOnly,   // the machine's own code (host thunks); read only, never freed
  };

  // Records [base, base + size); false when it is empty, passes 4 GiB or
  // overlaps a recorded range.
  bool Add(std::uint32_t base, std::uint64_t size, Kind kind);
  // Forgets the allocated range starting at `base` and returns its size;
  // nothing when no allocated range starts there.
  std::optional<std::uint64_t> RemoveAllocated(std::uint32_t base);

  // True when [address, address + n) lies inside one range (n may be 0 for
  // an address inside a range); `forWriting` also refuses read-only ranges.
  bool Contains(std::uint32_t address, std::uint64_t n, bool forWriting) const;
  // True when [base, base + size) touches no recorded range.
  bool IsFree(std::uint64_t base, std::uint64_t size) const;
  // The lowest `alignment`-aligned base >= `from` at which `size` bytes fit
  // below `limit` without touching a recorded range.
  std::optional<std::uint32_t> FindFree(std::uint64_t size, std::uint64_t from, std::uint64_t limit,
                                        std::uint64_t alignment) const;

  // The ranges handed out by Allocate, as (base, size).
  std::vector<std::pair<std::uint32_t, std::uint64_t>> AllocatedRanges() const;

  // True when `size` more allocated bytes keep the total within `limit`.
  bool FitsWithin(std::uint64_t limit, std::uint64_t size) const {
    return allocatedBytes_ <= limit && size <= limit - allocatedBytes_;
  }

  // Bytes in ranges handed out by Allocate.
  std::uint64_t AllocatedBytes() const { return allocatedBytes_; }

 private:
  struct Range {
    std::uint64_t size;
    Kind kind;
  };
  // The range that holds `address`, or end().
  std::map<std::uint32_t, Range>::const_iterator Holding(std::uint32_t address) const;

  std::map<std::uint32_t, Range> ranges_;  // by base address
  std::uint64_t allocatedBytes_ = 0;
};

// `value` rounded up to a multiple of the power of two `alignment` (64-bit,
// so rounding near 4 GiB cannot wrap).
constexpr std::uint64_t RoundUp(std::uint64_t value, std::uint64_t alignment) {
  return (value + alignment - 1) & ~(alignment - 1);
}

}  // namespace varomby
