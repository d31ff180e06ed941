#pragma once
// Bounded access to an image mapped into a machine: every read and write
// must lie inside [base, base + size), so a bad relative address in a table
// can neither leave the image nor reach a neighbouring reservation.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "memmodule/machine32.h"
#include "pe/pe_format.h"

namespace varomby {

class MappedImage {
 public:
  MappedImage(const AddressSpace32& memory, std::uint32_t base, std::uint64_t size)
      : memory_(&memory), base_(base), size_(size) {}

  std::uint32_t base() const { return base_; }
  std::uint64_t size() const { return size_; }
  bool Contains(std::uint64_t rva, std::uint64_t n) const { return rva <= size_ && n <= size_ - rva; }
  // The machine address of a relative address already known to lie inside.
  std::uint32_t Address(std::uint64_t rva) const { return static_cast<std::uint32_t>(base_ + rva); }

  template <typename T>
  std::optional<T> Read(std::uint64_t rva) const {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    if (!ReadBytes(rva, std::span(reinterpret_cast<std::uint8_t*>(&value), sizeof(T)))) return std::nullopt;
    return value;
  }
  bool ReadBytes(std::uint64_t rva, std::span<std::uint8_t> out) const;
  // The NUL-terminated text at `rva` (without its NUL), at most `maxLength`
  // bytes long and inside the image; nothing otherwise.
  std::optional<std::string> CString(std::uint64_t rva, std::uint64_t maxLength) const;

 private:
  const AddressSpace32* memory_;
  std::uint32_t base_;
  std::uint64_t size_;
};

// A MappedImage that may also be written.
class WritableImage : public MappedImage {
 public:
  WritableImage(AddressSpace32& memory, std::uint32_t base, std::uint64_t size)
      : MappedImage(memory, base, size), writable_(&memory) {}
  bool WriteBytes(std::uint64_t rva, std::span<const std::uint8_t> in);
  bool WriteWord(std::uint64_t rva, std::uint32_t value);

 private:
  AddressSpace32* writable_;
};

// The headers of an image, as read from the block or from mapped memory.
struct ImageHeaders {
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS32 nt{};
  std::vector<IMAGE_SECTION_HEADER> sections;
  // e_lfanew + 248 + NumberOfSections * 40: the bytes the headers take.
  std::uint64_t headerBytes = 0;
};

// Longest library, function or export name we read.
inline constexpr std::uint64_t kMaxNameLength = 4096;

// Reads and checks the headers from `bytes` (a file block or the start of a
// mapped image): MZ, a non-negative e_lfanew, PE, the whole section table
// inside `bytes`. Nothing when any of them fails.
std::optional<ImageHeaders> ReadImageHeaders(const std::function<bool(std::uint64_t, std::span<std::uint8_t>)>& read,
                                             std::uint64_t available);

// The bytes to reserve: SizeOfImage, raised to every section's aligned end
// (VirtualAddress + the larger of SizeOfRawData and VirtualSize); nothing
// when SectionAlignment is 0 or the size does not fit 32 bits.
std::optional<std::uint64_t> ReservationSize(const ImageHeaders& headers);

// The headers of the image mapped at `base` and a view bounded by its
// reservation size; nothing when its headers are no longer valid.
std::optional<std::pair<ImageHeaders, MappedImage>> ReadMappedImage(const AddressSpace32& memory,
                                                                    std::uint32_t base);

}  // namespace varomby
