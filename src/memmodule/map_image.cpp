// Mapping an image from its file block into the machine.
#include <algorithm>

#include "common/byte_reader.h"
#include "memmodule/image_loader.h"
#include "memmodule/mapped_image.h"

namespace varomby {
namespace {

constexpr std::uint16_t kFileExecutableImage = 0x0002;

std::optional<ImageHeaders> ReadBlockHeaders(std::span<const std::uint8_t> block) {
  const auto read = [&](std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset > block.size() || out.size() > block.size() - offset) return false;
    std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
  };
  return ReadImageHeaders(read, block.size());
}

// Sections whose raw data is copied into the image.
bool IsCopied(const IMAGE_SECTION_HEADER& section) {
  return section.SizeOfRawData > 0 && section.VirtualAddress != 0;
}

// Every copied section's raw data lies inside the block.
bool RawDataInsideBlock(const ImageHeaders& headers, std::uint64_t blockSize) {
  return std::ranges::all_of(headers.sections, [&](const IMAGE_SECTION_HEADER& section) {
    return !IsCopied(section) || (section.PointerToRawData <= blockSize &&
                                  section.SizeOfRawData <= blockSize - section.PointerToRawData);
  });
}

bool CopyHeadersAndSections(WritableImage& image, const ImageHeaders& headers,
                            std::span<const std::uint8_t> block) {
  if (!image.WriteBytes(0, block.first(static_cast<std::size_t>(headers.headerBytes)))) return false;
  for (const IMAGE_SECTION_HEADER& section : headers.sections) {
    if (!IsCopied(section)) continue;
    const auto raw = block.subspan(section.PointerToRawData, section.SizeOfRawData);
    if (!image.WriteBytes(section.VirtualAddress, raw)) return false;
  }
  return true;
}

// The attach call of a DLL; false when the image refuses (it is then
// detached again). A DLL without an entry point counts as attached.
bool AttachDll(CodeRunner& runner, std::uint32_t base, const IMAGE_NT_HEADERS32& nt) {
  if ((nt.FileHeader.Characteristics & kFileDll) == 0) return true;
  const std::uint32_t entry = nt.OptionalHeader.AddressOfEntryPoint;
  if (entry == 0) return true;
  if (CallEntryPoint(runner, base + entry, kDllProcessAttach) != 0) return true;
  CallEntryPoint(runner, base + entry, kDllProcessDetach);
  return false;
}

}  // namespace

std::optional<std::uint64_t> AlignUp(std::uint64_t value, std::uint32_t alignment) {
  if (alignment == 0) return std::nullopt;
  const std::uint64_t remainder = value % alignment;
  if (remainder == 0) return value;
  return CheckedAdd(value - remainder, alignment);
}

std::uint32_t MapImage(Machine32& machine, std::span<const std::uint8_t> block, std::uint32_t resolver,
                       std::uint32_t resolverData) {
  const auto headers = ReadBlockHeaders(block);
  if (!headers) return 0;
  const IMAGE_NT_HEADERS32& nt = headers->nt;
  if ((nt.FileHeader.Characteristics & kFileExecutableImage) == 0) return 0;
  if (!RawDataInsideBlock(*headers, block.size())) return 0;
  const auto size = ReservationSize(*headers);
  if (!size || *size == 0) return 0;

  const std::uint32_t base = machine.Allocate(nt.OptionalHeader.ImageBase, static_cast<std::uint32_t>(*size));
  if (base == 0) return 0;
  WritableImage image(machine, base, *size);
  if (!CopyHeadersAndSections(image, *headers, block)) {
    ReleaseImageMemory(machine, base);
    return 0;
  }
  if (nt.OptionalHeader.DataDirectory[kDirectoryBaseRelocation].Size > 0) {
    ApplyRelocations(machine, base, static_cast<std::uint32_t>(*size), nt);
  }
  if (nt.OptionalHeader.DataDirectory[kDirectoryImport].VirtualAddress > 0 &&
      !ResolveImports(machine, base, static_cast<std::uint32_t>(*size), nt, resolver, resolverData)) {
    ReleaseImageMemory(machine, base);
    return 0;
  }
  if (!AttachDll(machine, base, nt)) {
    ReleaseImageMemory(machine, base);
    return 0;
  }
  return base;
}

}  // namespace varomby
