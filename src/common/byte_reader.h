#pragma once
// The one bounds-checked reader for untrusted bytes (files, headers, images).
// Every read checks `offset <= size && n <= size - offset`, which cannot
// overflow; a read ending exactly at the end succeeds, one byte more fails.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

namespace varomby {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint64_t size() const { return bytes_.size(); }

  // True when [offset, offset + n) lies inside the bytes.
  bool Contains(std::uint64_t offset, std::uint64_t n) const {
    return offset <= bytes_.size() && n <= bytes_.size() - offset;
  }

  // A little-endian integer (or a trivially copyable record laid out as in
  // the file) at `offset`, or nothing when it does not fit.
  template <typename T>
  std::optional<T> Read(std::uint64_t offset) const {
    static_assert(std::is_trivially_copyable_v<T>);
    if (!Contains(offset, sizeof(T))) return std::nullopt;
    T value;
    std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    return value;  // our hosts are little-endian, like the PE format
  }

  // `n` bytes at `offset`, or nothing when they do not fit.
  std::optional<std::span<const std::uint8_t>> Bytes(std::uint64_t offset, std::uint64_t n) const {
    if (!Contains(offset, n)) return std::nullopt;
    return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(n));
  }

  // A NUL-terminated text at `offset` of at most `maxLength` bytes; nothing
  // when no NUL follows inside the bytes and the limit.
  std::optional<std::string_view> CString(std::uint64_t offset, std::uint64_t maxLength) const {
    if (offset >= bytes_.size()) return std::nullopt;
    const std::uint64_t available = bytes_.size() - offset;
    const std::uint64_t limit = available < maxLength ? available : maxLength;
    const auto* start = reinterpret_cast<const char*>(bytes_.data() + offset);
    const void* nul = std::memchr(start, 0, static_cast<std::size_t>(limit));
    if (nul == nullptr) return std::nullopt;
    return std::string_view(start, static_cast<std::size_t>(static_cast<const char*>(nul) - start));
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

// Overflow-safe sum of two unsigned 64-bit values; nothing on overflow.
inline std::optional<std::uint64_t> CheckedAdd(std::uint64_t a, std::uint64_t b) {
  if (b > UINT64_MAX - a) return std::nullopt;
  return a + b;
}

}  // namespace varomby
