#pragma once
// Typed reads and writes over a machine's memory, for host functions that
// take pointers from image code. Every access goes through the machine's
// bounds checks; nothing is read past a reservation.
#include <cstdint>
#include <optional>
#include <string>

#include "memmodule/machine32.h"

namespace varomby {

// The 32-bit little-endian word at `address`, or nothing when it is not readable.
std::optional<std::uint32_t> ReadWord(const AddressSpace32& memory, std::uint32_t address);
// Writes a 32-bit little-endian word; false when the address is not writable.
bool WriteWord(AddressSpace32& memory, std::uint32_t address, std::uint32_t value);
// The NUL-terminated text at `address` without its NUL, or nothing when no
// NUL lies within the first `maxLength` bytes or they are not all readable
// up to the NUL.
std::optional<std::string> ReadCString(const AddressSpace32& memory, std::uint32_t address,
                                       std::uint32_t maxLength);

}  // namespace varomby
