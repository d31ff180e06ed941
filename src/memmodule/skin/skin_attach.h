#pragma once
// Attaching the skin library's skin to the window and taking it off again,
// through the entry points of the library mapped in a MemoryModule.
#include <cstdint>
#include <span>

#include "common/types.h"
#include "memmodule/machine32.h"
#include "memmodule/memory_module.h"

namespace varomby {

inline constexpr char kSkinAttachEntry[] = "SkinH_AttachRes";
inline constexpr char kSkinDetachEntry[] = "SkinH_Detach";

// Calls the library's SkinH_AttachRes with the address of the first byte of
// `data` as the image sees it, its length, the address of `password` (0 when
// it is empty) and the three values; returns what the routine returns. Each
// call places the data and password in fresh machine memory that stays for
// the whole run, since the library may keep their addresses. Returns 0
// without calling anything when the entry point is missing (0) or the
// machine has no memory for the data (or there is no data).
std::uint32_t AttachSkin(const MemoryModule& module, Machine32& machine, std::span<const std::uint8_t> data,
                         const AnsiText& password, std::uint32_t value1, std::uint32_t value2,
                         std::uint32_t value3);

// Calls the library's SkinH_Detach with all arguments 0 and returns its
// result; 0 without a call when the entry point is missing.
std::uint32_t DetachSkin(const MemoryModule& module, CodeRunner& runner);

// The same calls to an entry point already looked up (0 = missing).
std::uint32_t AttachSkinAt(std::uint32_t entry, Machine32& machine, std::span<const std::uint8_t> data,
                           const AnsiText& password, std::uint32_t value1, std::uint32_t value2,
                           std::uint32_t value3);
std::uint32_t DetachSkinAt(std::uint32_t entry, CodeRunner& runner);

}  // namespace varomby
