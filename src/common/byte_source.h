#pragma once
// Random-access reading of untrusted bytes from a file or from memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace varomby {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `out.size()` bytes starting at `offset` into `out`; returns
  // how many were read (fewer, possibly 0, at the end), or -1 on an error.
  virtual std::int64_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

// A ByteSource over bytes in memory; the bytes must outlive it.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::int64_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - static_cast<std::size_t>(offset));
    if (n > 0) std::memcpy(out.data(), bytes_.data() + offset, n);
    return static_cast<std::int64_t>(n);
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace varomby
