#pragma once
// The PE/COFF records as they lie in a file or a mapped image: packed,
// little-endian, with the standard field names and widths. Read them only
// through ByteReader, which copies the bytes into the record.
#include <cstddef>
#include <cstdint>

namespace varomby {

inline constexpr std::uint16_t kDosSignature = 0x5A4D;       // "MZ"
inline constexpr std::uint32_t kNtSignature = 0x00004550;    // "PE\0\0"
inline constexpr std::uint16_t kPe32Magic = 0x10B;
inline constexpr std::uint16_t kPe32PlusMagic = 0x20B;
inline constexpr std::size_t kDataDirectoryCount = 16;
inline constexpr std::size_t kSectionNameLength = 8;

// Indices into DataDirectory.
inline constexpr std::size_t kDirectoryExport = 0;
inline constexpr std::size_t kDirectoryImport = 1;
inline constexpr std::size_t kDirectoryBaseRelocation = 5;

// Base relocation entry types (the high 4 bits of each 16-bit entry).
inline constexpr std::uint16_t kRelocationAbsolute = 0;
inline constexpr std::uint16_t kRelocationHighLow = 3;
inline constexpr std::uint16_t kRelocationDir64 = 10;

// An import thunk with this bit set names its function by ordinal.
inline constexpr std::uint32_t kImportOrdinalFlag32 = 0x80000000u;
inline constexpr std::uint64_t kImportOrdinalFlag64 = 0x8000000000000000ull;

// FileHeader.Characteristics bit of a DLL.
inline constexpr std::uint16_t kFileDll = 0x2000;

#pragma pack(push, 1)

struct IMAGE_DOS_HEADER {
  std::uint16_t e_magic;
  std::uint16_t e_cblp;
  std::uint16_t e_cp;
  std::uint16_t e_crlc;
  std::uint16_t e_cparhdr;
  std::uint16_t e_minalloc;
  std::uint16_t e_maxalloc;
  std::uint16_t e_ss;
  std::uint16_t e_sp;
  std::uint16_t e_csum;
  std::uint16_t e_ip;
  std::uint16_t e_cs;
  std::uint16_t e_lfarlc;
  std::uint16_t e_ovno;
  std::uint16_t e_res[4];
  std::uint16_t e_oemid;
  std::uint16_t e_oeminfo;
  std::uint16_t e_res2[10];
  std::int32_t e_lfanew;
};

struct IMAGE_FILE_HEADER {
  std::uint16_t Machine;
  std::uint16_t NumberOfSections;
  std::uint32_t TimeDateStamp;
  std::uint32_t PointerToSymbolTable;
  std::uint32_t NumberOfSymbols;
  std::uint16_t SizeOfOptionalHeader;
  std::uint16_t Characteristics;
};

struct IMAGE_DATA_DIRECTORY {
  std::uint32_t VirtualAddress;
  std::uint32_t Size;
};

struct IMAGE_OPTIONAL_HEADER32 {
  std::uint16_t Magic;
  std::uint8_t MajorLinkerVersion;
  std::uint8_t MinorLinkerVersion;
  std::uint32_t SizeOfCode;
  std::uint32_t SizeOfInitializedData;
  std::uint32_t SizeOfUninitializedData;
  std::uint32_t AddressOfEntryPoint;
  std::uint32_t BaseOfCode;
  std::uint32_t BaseOfData;
  std::uint32_t ImageBase;
  std::uint32_t SectionAlignment;
  std::uint32_t FileAlignment;
  std::uint16_t MajorOperatingSystemVersion;
  std::uint16_t MinorOperatingSystemVersion;
  std::uint16_t MajorImageVersion;
  std::uint16_t MinorImageVersion;
  std::uint16_t MajorSubsystemVersion;
  std::uint16_t MinorSubsystemVersion;
  std::uint32_t Win32VersionValue;
  std::uint32_t SizeOfImage;
  std::uint32_t SizeOfHeaders;
  std::uint32_t CheckSum;
  std::uint16_t Subsystem;
  std::uint16_t DllCharacteristics;
  std::uint32_t SizeOfStackReserve;
  std::uint32_t SizeOfStackCommit;
  std::uint32_t SizeOfHeapReserve;
  std::uint32_t SizeOfHeapCommit;
  std::uint32_t LoaderFlags;
  std::uint32_t NumberOfRvaAndSizes;
  IMAGE_DATA_DIRECTORY DataDirectory[kDataDirectoryCount];
};

// PE32+: no BaseOfData, 64-bit ImageBase and stack/heap sizes.
struct IMAGE_OPTIONAL_HEADER64 {
  std::uint16_t Magic;
  std::uint8_t MajorLinkerVersion;
  std::uint8_t MinorLinkerVersion;
  std::uint32_t SizeOfCode;
  std::uint32_t SizeOfInitializedData;
  std::uint32_t SizeOfUninitializedData;
  std::uint32_t AddressOfEntryPoint;
  std::uint32_t BaseOfCode;
  std::uint64_t ImageBase;
  std::uint32_t SectionAlignment;
  std::uint32_t FileAlignment;
  std::uint16_t MajorOperatingSystemVersion;
  std::uint16_t MinorOperatingSystemVersion;
  std::uint16_t MajorImageVersion;
  std::uint16_t MinorImageVersion;
  std::uint16_t MajorSubsystemVersion;
  std::uint16_t MinorSubsystemVersion;
  std::uint32_t Win32VersionValue;
  std::uint32_t SizeOfImage;
  std::uint32_t SizeOfHeaders;
  std::uint32_t CheckSum;
  std::uint16_t Subsystem;
  std::uint16_t DllCharacteristics;
  std::uint64_t SizeOfStackReserve;
  std::uint64_t SizeOfStackCommit;
  std::uint64_t SizeOfHeapReserve;
  std::uint64_t SizeOfHeapCommit;
  std::uint32_t LoaderFlags;
  std::uint32_t NumberOfRvaAndSizes;
  IMAGE_DATA_DIRECTORY DataDirectory[kDataDirectoryCount];
};

struct IMAGE_NT_HEADERS32 {
  std::uint32_t Signature;
  IMAGE_FILE_HEADER FileHeader;
  IMAGE_OPTIONAL_HEADER32 OptionalHeader;
};

struct IMAGE_NT_HEADERS64 {
  std::uint32_t Signature;
  IMAGE_FILE_HEADER FileHeader;
  IMAGE_OPTIONAL_HEADER64 OptionalHeader;
};

struct IMAGE_SECTION_HEADER {
  std::uint8_t Name[kSectionNameLength];
  std::uint32_t VirtualSize;  // Misc.VirtualSize; PhysicalAddress in object files
  std::uint32_t VirtualAddress;
  std::uint32_t SizeOfRawData;
  std::uint32_t PointerToRawData;
  std::uint32_t PointerToRelocations;
  std::uint32_t PointerToLinenumbers;
  std::uint16_t NumberOfRelocations;
  std::uint16_t NumberOfLinenumbers;
  std::uint32_t Characteristics;
};

// One block of the base relocation table; SizeOfBlock counts this header and
// the 16-bit entries that follow it.
struct IMAGE_BASE_RELOCATION {
  std::uint32_t VirtualAddress;
  std::uint32_t SizeOfBlock;
};

struct IMAGE_IMPORT_DESCRIPTOR {
  std::uint32_t OriginalFirstThunk;  // also called Characteristics; 0 ends the table
  std::uint32_t TimeDateStamp;
  std::uint32_t ForwarderChain;
  std::uint32_t Name;
  std::uint32_t FirstThunk;
};

struct IMAGE_EXPORT_DIRECTORY {
  std::uint32_t Characteristics;
  std::uint32_t TimeDateStamp;
  std::uint16_t MajorVersion;
  std::uint16_t MinorVersion;
  std::uint32_t Name;
  std::uint32_t Base;
  std::uint32_t NumberOfFunctions;
  std::uint32_t NumberOfNames;
  std::uint32_t AddressOfFunctions;
  std::uint32_t AddressOfNames;
  std::uint32_t AddressOfNameOrdinals;
};

#pragma pack(pop)

// Sizes and offsets as published; a mismatch would misread every file.
static_assert(sizeof(IMAGE_DOS_HEADER) == 64);
static_assert(offsetof(IMAGE_DOS_HEADER, e_res) == 28);
static_assert(offsetof(IMAGE_DOS_HEADER, e_oemid) == 36);
static_assert(offsetof(IMAGE_DOS_HEADER, e_res2) == 40);
static_assert(offsetof(IMAGE_DOS_HEADER, e_lfanew) == 60);

static_assert(sizeof(IMAGE_FILE_HEADER) == 20);
static_assert(offsetof(IMAGE_FILE_HEADER, NumberOfSections) == 2);
static_assert(offsetof(IMAGE_FILE_HEADER, SizeOfOptionalHeader) == 16);
static_assert(offsetof(IMAGE_FILE_HEADER, Characteristics) == 18);

static_assert(sizeof(IMAGE_DATA_DIRECTORY) == 8);

static_assert(sizeof(IMAGE_OPTIONAL_HEADER32) == 224);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, AddressOfEntryPoint) == 16);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, ImageBase) == 28);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, SectionAlignment) == 32);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, SizeOfImage) == 56);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, SizeOfHeaders) == 60);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, SizeOfStackReserve) == 72);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, NumberOfRvaAndSizes) == 92);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory) == 96);

static_assert(sizeof(IMAGE_OPTIONAL_HEADER64) == 240);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, ImageBase) == 24);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, SectionAlignment) == 32);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, SizeOfImage) == 56);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, SizeOfHeaders) == 60);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, SizeOfStackReserve) == 72);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, LoaderFlags) == 104);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, NumberOfRvaAndSizes) == 108);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory) == 112);

static_assert(sizeof(IMAGE_NT_HEADERS32) == 248);
static_assert(offsetof(IMAGE_NT_HEADERS32, FileHeader) == 4);
static_assert(offsetof(IMAGE_NT_HEADERS32, OptionalHeader) == 24);
static_assert(sizeof(IMAGE_NT_HEADERS64) == 264);
static_assert(offsetof(IMAGE_NT_HEADERS64, OptionalHeader) == 24);

static_assert(sizeof(IMAGE_SECTION_HEADER) == 40);
static_assert(offsetof(IMAGE_SECTION_HEADER, VirtualSize) == 8);
static_assert(offsetof(IMAGE_SECTION_HEADER, VirtualAddress) == 12);
static_assert(offsetof(IMAGE_SECTION_HEADER, SizeOfRawData) == 16);
static_assert(offsetof(IMAGE_SECTION_HEADER, PointerToRawData) == 20);
static_assert(offsetof(IMAGE_SECTION_HEADER, NumberOfRelocations) == 32);
static_assert(offsetof(IMAGE_SECTION_HEADER, Characteristics) == 36);

static_assert(sizeof(IMAGE_BASE_RELOCATION) == 8);
static_assert(sizeof(IMAGE_IMPORT_DESCRIPTOR) == 20);
static_assert(offsetof(IMAGE_IMPORT_DESCRIPTOR, Name) == 12);
static_assert(offsetof(IMAGE_IMPORT_DESCRIPTOR, FirstThunk) == 16);
static_assert(sizeof(IMAGE_EXPORT_DIRECTORY) == 40);
static_assert(offsetof(IMAGE_EXPORT_DIRECTORY, Name) == 12);
static_assert(offsetof(IMAGE_EXPORT_DIRECTORY, NumberOfFunctions) == 20);
static_assert(offsetof(IMAGE_EXPORT_DIRECTORY, AddressOfNameOrdinals) == 36);

}  // namespace varomby
