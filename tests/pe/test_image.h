#pragma once
// Small hand-made PE images in memory for the reader's tests.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/types.h"
#include "pe/pe_format.h"

namespace varomby::testing {

struct TestSection {
  std::uint32_t virtualAddress;
  std::uint32_t pointerToRawData;
  std::uint32_t sizeOfRawData;
};

// Describes an image; Bytes() lays it out: DOS header, NT headers at
// `lfanew`, the section table after SizeOfOptionalHeader, then zero bytes up
// to the end of the last section's raw data.
struct TestImage {
  std::int32_t lfanew = 0x80;
  bool pe32Plus = false;
  std::uint64_t imageBase = 0x10000000;
  std::uint32_t sizeOfHeaders = 0x400;
  std::uint32_t importSize = 0x28;
  std::uint16_t sizeOfOptionalHeader = 0;  // 0: the size of the optional header's layout
  int numberOfSections = -1;               // -1: sections.size()
  std::vector<TestSection> sections = {{0x1000, 0x400, 0x1200}, {0x4000, 0x1800, 0x200}};
  std::uint64_t fileSize = 0;              // 0: up to the end of the last raw data

  std::uint64_t SectionTableOffset() const {
    return static_cast<std::uint64_t>(lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + OptionalHeaderSize();
  }

  ByteBuffer Bytes() const {
    ByteBuffer bytes(FileSize(), 0);
    IMAGE_DOS_HEADER dos{};
    dos.e_magic = kDosSignature;
    dos.e_lfanew = lfanew;
    Put(bytes, 0, dos);
    if (pe32Plus) {
      Put(bytes, static_cast<std::uint32_t>(lfanew), NtHeaders<IMAGE_NT_HEADERS64>(kPe32PlusMagic));
    } else {
      auto nt = NtHeaders<IMAGE_NT_HEADERS32>(kPe32Magic);
      nt.OptionalHeader.ImageBase = static_cast<std::uint32_t>(imageBase);
      Put(bytes, static_cast<std::uint32_t>(lfanew), nt);
    }
    std::uint64_t at = SectionTableOffset();
    for (const TestSection& s : sections) {
      IMAGE_SECTION_HEADER header{};
      std::memcpy(header.Name, ".sect", 5);
      header.VirtualAddress = s.virtualAddress;
      header.VirtualSize = s.sizeOfRawData;
      header.PointerToRawData = s.pointerToRawData;
      header.SizeOfRawData = s.sizeOfRawData;
      Put(bytes, at, header);
      at += sizeof header;
    }
    return bytes;
  }

 private:
  std::uint16_t OptionalHeaderSize() const {
    if (sizeOfOptionalHeader != 0) return sizeOfOptionalHeader;
    return pe32Plus ? sizeof(IMAGE_OPTIONAL_HEADER64) : sizeof(IMAGE_OPTIONAL_HEADER32);
  }

  std::uint64_t FileSize() const {
    if (fileSize != 0) return fileSize;
    std::uint64_t end = SectionTableOffset() + sections.size() * sizeof(IMAGE_SECTION_HEADER);
    end = std::max<std::uint64_t>(end, static_cast<std::uint64_t>(lfanew) + sizeof(IMAGE_NT_HEADERS64));
    for (const TestSection& s : sections) end = std::max<std::uint64_t>(end, s.pointerToRawData + s.sizeOfRawData);
    return end;
  }

  template <typename Nt>
  Nt NtHeaders(std::uint16_t magic) const {
    Nt nt{};
    nt.Signature = kNtSignature;
    nt.FileHeader.Machine = pe32Plus ? 0x8664 : 0x14C;
    nt.FileHeader.NumberOfSections =
        static_cast<std::uint16_t>(numberOfSections >= 0 ? numberOfSections : static_cast<int>(sections.size()));
    nt.FileHeader.SizeOfOptionalHeader = OptionalHeaderSize();
    nt.OptionalHeader.Magic = magic;
    nt.OptionalHeader.ImageBase = static_cast<decltype(nt.OptionalHeader.ImageBase)>(imageBase);
    nt.OptionalHeader.SizeOfHeaders = sizeOfHeaders;
    nt.OptionalHeader.NumberOfRvaAndSizes = kDataDirectoryCount;
    nt.OptionalHeader.DataDirectory[kDirectoryImport].Size = importSize;
    return nt;
  }

  // Records placed beyond the file (a table cut short) are left out.
  template <typename T>
  static void Put(ByteBuffer& bytes, std::uint64_t offset, const T& value) {
    if (offset >= bytes.size()) return;
    std::memcpy(bytes.data() + offset, &value, std::min<std::size_t>(sizeof value, bytes.size() - offset));
  }
};

}  // namespace varomby::testing
