#pragma once
// A minimal hand-made 32-bit PE DLL for the loader's tests: headers at 0,
// e_lfanew 0x40, one section at RVA 0x1000 (raw data at file offset 0x200,
// 0x1000 bytes), SizeOfImage 0x2000, ImageBase 0x10000000, entry point at
// RVA 0x1000. Tests change fields and put tables into the section.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "pe/pe_format.h"

namespace varomby::testing {

class BuiltImage {
 public:
  static constexpr std::uint32_t kLfanew = 0x40;
  static constexpr std::uint32_t kSectionTable = kLfanew + sizeof(IMAGE_NT_HEADERS32);
  static constexpr std::uint32_t kSectionRva = 0x1000;
  static constexpr std::uint32_t kRawOffset = 0x200;
  static constexpr std::uint32_t kSectionSize = 0x1000;
  static constexpr std::uint32_t kImageBase = 0x10000000;

  BuiltImage() : bytes_(kRawOffset + kSectionSize, 0) {
    IMAGE_DOS_HEADER dos{};
    dos.e_magic = kDosSignature;
    dos.e_lfanew = kLfanew;
    Put(0, dos);
    IMAGE_NT_HEADERS32 nt{};
    nt.Signature = kNtSignature;
    nt.FileHeader.Machine = 0x14C;
    nt.FileHeader.NumberOfSections = 1;
    nt.FileHeader.SizeOfOptionalHeader = sizeof(IMAGE_OPTIONAL_HEADER32);
    nt.FileHeader.Characteristics = 0x2102;  // executable, 32-bit, DLL
    nt.OptionalHeader.Magic = kPe32Magic;
    nt.OptionalHeader.AddressOfEntryPoint = kSectionRva;
    nt.OptionalHeader.ImageBase = kImageBase;
    nt.OptionalHeader.SectionAlignment = 0x1000;
    nt.OptionalHeader.FileAlignment = 0x200;
    nt.OptionalHeader.SizeOfImage = 0x2000;
    nt.OptionalHeader.SizeOfHeaders = kRawOffset;
    nt.OptionalHeader.NumberOfRvaAndSizes = kDataDirectoryCount;
    Put(kLfanew, nt);
    IMAGE_SECTION_HEADER section{};
    std::memcpy(section.Name, ".data", 5);
    section.VirtualSize = kSectionSize;
    section.VirtualAddress = kSectionRva;
    section.SizeOfRawData = kSectionSize;
    section.PointerToRawData = kRawOffset;
    Put(kSectionTable, section);
  }

  std::vector<std::uint8_t>& bytes() { return bytes_; }

  template <typename Change>
  BuiltImage& Nt(Change change) {
    return Modify<IMAGE_NT_HEADERS32>(kLfanew, change);
  }
  template <typename Change>
  BuiltImage& Section(Change change) {
    return Modify<IMAGE_SECTION_HEADER>(kSectionTable, change);
  }
  BuiltImage& Directory(std::size_t index, std::uint32_t rva, std::uint32_t size) {
    return Nt([&](IMAGE_NT_HEADERS32& nt) { nt.OptionalHeader.DataDirectory[index] = {rva, size}; });
  }
  // Places `value` at relative address `rva` inside the section.
  template <typename T>
  BuiltImage& At(std::uint32_t rva, const T& value) {
    Put(rva - kSectionRva + kRawOffset, value);
    return *this;
  }
  BuiltImage& Text(std::uint32_t rva, const std::string& text) {
    std::memcpy(bytes_.data() + (rva - kSectionRva + kRawOffset), text.c_str(), text.size() + 1);
    return *this;
  }
  template <typename T>
  T Get(std::size_t offset) const {
    T value;
    std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    return value;
  }
  template <typename T>
  void Put(std::size_t offset, const T& value) {
    std::memcpy(bytes_.data() + offset, &value, sizeof(T));
  }

 private:
  template <typename T, typename Change>
  BuiltImage& Modify(std::size_t offset, Change change) {
    auto record = Get<T>(offset);
    change(record);
    Put(offset, record);
    return *this;
  }

  std::vector<std::uint8_t> bytes_;
};

}  // namespace varomby::testing
