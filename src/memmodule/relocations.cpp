// Base relocation of a mapped image.
#include <algorithm>

#include "memmodule/image_loader.h"
#include "memmodule/mapped_image.h"

namespace varomby {
namespace {

constexpr std::uint64_t kBlockHeaderSize = sizeof(IMAGE_BASE_RELOCATION);

void RelocateEntry(WritableImage& image, std::uint32_t pageRva, std::uint16_t entry, std::uint32_t delta) {
  if ((entry >> 12) != kRelocationHighLow) return;  // every other type is passed over
  const std::uint64_t target = std::uint64_t{pageRva} + (entry & 0x0FFFu);
  // A target outside the image is skipped, never written.
  const auto value = image.Read<std::uint32_t>(target);
  if (value) image.WriteWord(target, *value + delta);
}

}  // namespace

void ApplyRelocations(AddressSpace32& memory, std::uint32_t base, std::uint32_t imageSize,
                      const IMAGE_NT_HEADERS32& ntHeaders) {
  WritableImage image(memory, base, imageSize);
  const std::uint32_t delta = base - ntHeaders.OptionalHeader.ImageBase;
  const IMAGE_DATA_DIRECTORY& directory = ntHeaders.OptionalHeader.DataDirectory[kDirectoryBaseRelocation];
  // The walk ends at the directory's end or the image's, whichever is first.
  const std::uint64_t end = std::min<std::uint64_t>(std::uint64_t{directory.VirtualAddress} + directory.Size, imageSize);
  std::uint64_t position = directory.VirtualAddress;
  while (position + kBlockHeaderSize <= end) {
    const auto block = image.Read<IMAGE_BASE_RELOCATION>(position);
    if (!block || block->VirtualAddress == 0) return;
    // A block shorter than its own header would not advance the walk.
    if (block->SizeOfBlock < kBlockHeaderSize) return;
    const std::uint64_t blockEnd = std::min(position + block->SizeOfBlock, end);
    for (std::uint64_t entryAt = position + kBlockHeaderSize; entryAt + 2 <= blockEnd; entryAt += 2) {
      const auto entry = image.Read<std::uint16_t>(entryAt);
      if (!entry) return;
      RelocateEntry(image, block->VirtualAddress, *entry, delta);
    }
    position += block->SizeOfBlock;
  }
}

}  // namespace varomby
