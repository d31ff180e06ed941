#include "memmodule/machine/memory_access.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace varomby {

std::optional<std::uint32_t> ReadWord(const AddressSpace32& memory, std::uint32_t address) {
  std::array<std::uint8_t, 4> bytes{};
  if (!memory.Read(address, bytes)) return std::nullopt;
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data(), bytes.size());  // our hosts are little-endian, like x86
  return value;
}

bool WriteWord(AddressSpace32& memory, std::uint32_t address, std::uint32_t value) {
  std::array<std::uint8_t, 4> bytes{};
  std::memcpy(bytes.data(), &value, bytes.size());
  return memory.Write(address, bytes);
}

std::optional<std::string> ReadCString(const AddressSpace32& memory, std::uint32_t address,
                                       std::uint32_t maxLength) {
  // Reads in small chunks, so a text near the end of a reservation is found
  // without reading past it, and a long one costs few calls.
  constexpr std::uint32_t kChunk = 64;
  std::string text;
  std::array<std::uint8_t, kChunk> chunk{};
  std::uint64_t at = address;
  while (text.size() < maxLength) {
    std::size_t got = std::min<std::size_t>(kChunk, maxLength - text.size());
    // Shrink the chunk until it is readable; one readable byte is enough to go on.
    while (got > 0 && (at + got > UINT32_MAX + std::uint64_t{1} ||
                       !memory.Read(static_cast<std::uint32_t>(at), std::span(chunk).first(got)))) {
      got /= 2;
    }
    if (got == 0) return std::nullopt;
    const auto* begin = chunk.data();
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(begin, 0, got));
    if (nul != nullptr) {
      text.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(nul - begin));
      return text;
    }
    text.append(reinterpret_cast<const char*>(begin), got);
    at += got;
  }
  return std::nullopt;
}

}  // namespace varomby
