#pragma once
// The steps of loading a 32-bit PE image from a byte block into a
// Machine32: mapping, base relocation, import resolution, export lookup,
// the entry-point calls and the release. Every failure is a result (0 or
// false); every read of the block or of the mapped image is bounds-checked.
#include <cstdint>
#include <span>
#include <optional>
#include <string>

#include "memmodule/machine32.h"
#include "pe/pe_format.h"

namespace varomby {

inline constexpr std::uint32_t kDllProcessDetach = 0;
inline constexpr std::uint32_t kDllProcessAttach = 1;

// The smallest multiple of `alignment` not below `value`, exactly; nothing
// when `alignment` is 0.
std::optional<std::uint64_t> AlignUp(std::uint64_t value, std::uint32_t alignment);

// Maps `image` (laid out as a file) into the machine: checks the headers,
// reserves the whole image (at ImageBase when free), copies headers and
// sections, relocates, resolves imports (asking the resolver routine at
// `resolver` first when it is not 0) and calls a DLL's entry point with the
// attach reason. The image's address, or 0 with nothing left reserved.
std::uint32_t MapImage(Machine32& machine, std::span<const std::uint8_t> image,
                       std::uint32_t resolver, std::uint32_t resolverData);

// Adds base - ImageBase to every HIGHLOW target of the relocation directory
// of the image mapped at `base` with `imageSize` reserved bytes. The walk
// stays inside the directory and the image and ends at a block whose
// VirtualAddress is 0 or whose SizeOfBlock is below 8.
void ApplyRelocations(AddressSpace32& memory, std::uint32_t base, std::uint32_t imageSize,
                      const IMAGE_NT_HEADERS32& ntHeaders);

// Fills the import address tables of the mapped image; false at the first
// library that cannot be loaded, the first function nobody supplies, or a
// table that runs out of the image without its terminator.
bool ResolveImports(Machine32& machine, std::uint32_t base, std::uint32_t imageSize,
                    const IMAGE_NT_HEADERS32& ntHeaders, std::uint32_t resolver,
                    std::uint32_t resolverData);

// The address of an export of the image mapped at `base`, by name or by the
// usual decimal text of its ordinal; 0 when it is not exported, when the
// entry is 0 or forwarded to another library, or when the headers are bad.
std::uint32_t FindExport(const AddressSpace32& memory, std::uint32_t base, const std::string& name);

// True when `text` is the usual decimal form of a signed 32-bit number
// (optional '-', no leading zeros, no blanks); its value goes to `value`.
bool ParseOrdinalText(const std::string& text, std::int32_t& value);

// Calls the entry point of the image at `base` with `reason` (module handle
// and reserved argument 0) and returns its EAX.
std::uint32_t CallEntryPoint(CodeRunner& runner, std::uint32_t entryPoint, std::uint32_t reason);

// Detaches a DLL image (when its headers still carry both signatures) and
// releases its memory; false, with nothing called or released, when a
// signature is gone, or when the memory cannot be released.
bool ReleaseImage(Machine32& machine, std::uint32_t base);

// Releases a reservation; true when it was released.
bool ReleaseImageMemory(AddressSpace32& memory, std::uint32_t base);

// base + AddressOfEntryPoint of the mapped image, signatures not tested; 0
// when the headers cannot be read.
std::uint32_t ReadEntryPoint(const AddressSpace32& memory, std::uint32_t base);

}  // namespace varomby
