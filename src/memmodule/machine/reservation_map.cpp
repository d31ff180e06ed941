#include "memmodule/machine/reservation_map.h"

namespace varomby {

namespace {
constexpr std::uint64_t kAddressSpaceEnd = std::uint64_t{1} << 32;
}

bool ReservationMap::Add(std::uint32_t base, std::uint64_t size, Kind kind) {
  if (size == 0 || size > kAddressSpaceEnd - base || !IsFree(base, size)) return false;
  ranges_.emplace(base, Range{size, kind});
  if (kind == Kind::kAllocated) allocatedBytes_ += size;
  return true;
}

std::optional<std::uint64_t> ReservationMap::RemoveAllocated(std::uint32_t base) {
  const auto it = ranges_.find(base);
  if (it == ranges_.end() || it->second.kind != Kind::kAllocated) return std::nullopt;
  const std::uint64_t size = it->second.size;
  ranges_.erase(it);
  allocatedBytes_ -= size;
  return size;
}

std::vector<std::pair<std::uint32_t, std::uint64_t>> ReservationMap::AllocatedRanges() const {
  std::vector<std::pair<std::uint32_t, std::uint64_t>> allocated;
  for (const auto& [base, range] : ranges_) {
    if (range.kind == Kind::kAllocated) allocated.emplace_back(base, range.size);
  }
  return allocated;
}

std::map<std::uint32_t, ReservationMap::Range>::const_iterator ReservationMap::Holding(
    std::uint32_t address) const {
  auto it = ranges_.upper_bound(address);
  if (it == ranges_.begin()) return ranges_.end();
  --it;
  const std::uint64_t end = std::uint64_t{it->first} + it->second.size;
  return address < end ? it : ranges_.end();
}

bool ReservationMap::Contains(std::uint32_t address, std::uint64_t n, bool forWriting) const {
  const auto it = Holding(address);
  if (it == ranges_.end()) return false;
  if (forWriting && it->second.kind == Kind::kReadOnly) return false;
  const std::uint64_t end = std::uint64_t{it->first} + it->second.size;
  return n <= end - address;
}

bool ReservationMap::IsFree(std::uint64_t base, std::uint64_t size) const {
  if (base >= kAddressSpaceEnd || size > kAddressSpaceEnd - base) return false;
  // The first range starting at or after `base` must start at or after the
  // end; the range before `base` must end at or before it.
  const auto next = ranges_.lower_bound(static_cast<std::uint32_t>(base));
  if (next != ranges_.end() && next->first < base + size) return false;
  if (next == ranges_.begin()) return true;
  const auto previous = std::prev(next);
  return std::uint64_t{previous->first} + previous->second.size <= base;
}

std::optional<std::uint32_t> ReservationMap::FindFree(std::uint64_t size, std::uint64_t from,
                                                      std::uint64_t limit,
                                                      std::uint64_t alignment) const {
  if (size == 0) return std::nullopt;
  std::uint64_t candidate = RoundUp(from, alignment);
  // Each step jumps past one recorded range, so the walk ends after at most
  // as many steps as there are ranges.
  while (candidate < limit && size <= limit - candidate) {
    if (IsFree(candidate, size)) return static_cast<std::uint32_t>(candidate);
    auto blocker = ranges_.lower_bound(static_cast<std::uint32_t>(candidate));
    if (blocker != ranges_.begin()) {
      const auto previous = std::prev(blocker);
      if (std::uint64_t{previous->first} + previous->second.size > candidate) blocker = previous;
    }
    if (blocker == ranges_.end()) return std::nullopt;
    candidate = RoundUp(std::uint64_t{blocker->first} + blocker->second.size, alignment);
  }
  return std::nullopt;
}

}  // namespace varomby
