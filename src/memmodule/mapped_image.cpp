#include "memmodule/mapped_image.h"

#include "memmodule/image_loader.h"

#include <algorithm>
#include <cstring>

namespace varomby {

bool MappedImage::ReadBytes(std::uint64_t rva, std::span<std::uint8_t> out) const {
  if (!Contains(rva, out.size())) return false;
  return memory_->Read(Address(rva), out);
}

std::optional<std::string> MappedImage::CString(std::uint64_t rva, std::uint64_t maxLength) const {
  // Read in small chunks so a name near the end of the image is still found.
  constexpr std::uint64_t kChunk = 64;
  std::string text;
  while (rva < size_ && text.size() <= maxLength) {
    const std::uint64_t n = std::min(kChunk, size_ - rva);
    std::uint8_t chunk[kChunk];
    if (!ReadBytes(rva, std::span(chunk, static_cast<std::size_t>(n)))) return std::nullopt;
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(chunk, 0, static_cast<std::size_t>(n)));
    const std::uint64_t used = end != nullptr ? static_cast<std::uint64_t>(end - chunk) : n;
    text.append(reinterpret_cast<const char*>(chunk), static_cast<std::size_t>(used));
    if (end != nullptr) {
      if (text.size() > maxLength) return std::nullopt;
      return text;
    }
    rva += n;
  }
  return std::nullopt;  // no NUL inside the image or the limit
}

bool WritableImage::WriteBytes(std::uint64_t rva, std::span<const std::uint8_t> in) {
  if (!Contains(rva, in.size())) return false;
  return writable_->Write(Address(rva), in);
}

bool WritableImage::WriteWord(std::uint64_t rva, std::uint32_t value) {
  std::uint8_t bytes[4];
  std::memcpy(bytes, &value, sizeof(bytes));
  return WriteBytes(rva, bytes);
}

std::optional<ImageHeaders> ReadImageHeaders(const std::function<bool(std::uint64_t, std::span<std::uint8_t>)>& read,
                                             std::uint64_t available) {
  ImageHeaders headers;
  auto readRecord = [&](std::uint64_t offset, auto& record) {
    return offset <= available && sizeof(record) <= available - offset &&
           read(offset, std::span(reinterpret_cast<std::uint8_t*>(&record), sizeof(record)));
  };
  if (!readRecord(0, headers.dos) || headers.dos.e_magic != kDosSignature) return std::nullopt;
  // A negative e_lfanew would point before the block.
  if (headers.dos.e_lfanew < 0) return std::nullopt;
  const auto ntOffset = static_cast<std::uint64_t>(headers.dos.e_lfanew);
  if (!readRecord(ntOffset, headers.nt) || headers.nt.Signature != kNtSignature) return std::nullopt;

  // NumberOfSections is at most 65535, so the product stays far from overflow.
  const std::uint64_t sectionCount = headers.nt.FileHeader.NumberOfSections;
  const std::uint64_t tableOffset = ntOffset + sizeof(IMAGE_NT_HEADERS32);
  headers.headerBytes = tableOffset + sectionCount * sizeof(IMAGE_SECTION_HEADER);
  if (headers.headerBytes > available) return std::nullopt;
  headers.sections.resize(static_cast<std::size_t>(sectionCount));
  if (sectionCount > 0 &&
      !read(tableOffset, std::span(reinterpret_cast<std::uint8_t*>(headers.sections.data()),
                                   headers.sections.size() * sizeof(IMAGE_SECTION_HEADER)))) {
    return std::nullopt;
  }
  return headers;
}

std::optional<std::uint64_t> ReservationSize(const ImageHeaders& headers) {
  const IMAGE_OPTIONAL_HEADER32& optional = headers.nt.OptionalHeader;
  std::uint64_t size = optional.SizeOfImage;
  for (const IMAGE_SECTION_HEADER& section : headers.sections) {
    const std::uint64_t extent = std::max(section.SizeOfRawData, section.VirtualSize);
    const auto end = AlignUp(std::uint64_t{section.VirtualAddress} + extent, optional.SectionAlignment);
    if (!end) return std::nullopt;  // SectionAlignment 0
    size = std::max(size, *end);
  }
  if (size > UINT32_MAX) return std::nullopt;
  return size;
}

std::optional<std::pair<ImageHeaders, MappedImage>> ReadMappedImage(const AddressSpace32& memory,
                                                                    std::uint32_t base) {
  const auto read = [&](std::uint64_t offset, std::span<std::uint8_t> out) {
    return memory.Read(static_cast<std::uint32_t>(base + offset), out);
  };
  auto headers = ReadImageHeaders(read, (std::uint64_t{1} << 32) - base);
  if (!headers) return std::nullopt;
  const auto size = ReservationSize(*headers);
  if (!size) return std::nullopt;
  // A rewritten header must not stretch the view past the address space.
  MappedImage image(memory, base, std::min(*size, (std::uint64_t{1} << 32) - base));
  return std::pair{std::move(*headers), image};
}

}  // namespace varomby
