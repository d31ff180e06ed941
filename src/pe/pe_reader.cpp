#include "pe/pe_reader.h"

#include <algorithm>
#include <span>

#include "common/byte_reader.h"
#include "common/texts.h"

namespace varomby {
namespace {

constexpr std::uint64_t kLfanewOffset = offsetof(IMAGE_DOS_HEADER, e_lfanew);
constexpr std::uint64_t kOptionalHeaderOffset = offsetof(IMAGE_NT_HEADERS32, OptionalHeader);

// Up to `count` bytes of `file` from `offset`; fewer at the end of the file,
// none on a read error.
ByteBuffer ReadUpTo(const ByteSource& file, std::uint64_t offset, std::size_t count) {
  ByteBuffer bytes(count);
  const std::int64_t got = file.ReadAt(offset, bytes);
  bytes.resize(got > 0 ? std::min(static_cast<std::size_t>(got), count) : 0);
  return bytes;
}

// `T` from the start of `bytes`, its missing tail (when `bytes` is short)
// counted as zero bytes.
template <typename T>
T ZeroExtended(const ByteBuffer& bytes) {
  ByteBuffer padded(sizeof(T), 0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), sizeof(T)), padded.begin());
  return *ByteReader(padded).Read<T>(0);
}

// The NT headers' file offset, or nothing when e_lfanew is negative: such an
// offset lies before the start of the file and cannot be read.
std::optional<std::uint64_t> NtHeadersOffset(std::int32_t lfanew) {
  if (lfanew < 0) return std::nullopt;
  return static_cast<std::uint64_t>(lfanew);
}

// Appends the complete records of `bytes` to `sections`.
void AppendSections(const ByteBuffer& bytes, std::vector<IMAGE_SECTION_HEADER>& sections) {
  const ByteReader reader(bytes);
  for (std::uint64_t at = 0; reader.Contains(at, sizeof(IMAGE_SECTION_HEADER)); at += sizeof(IMAGE_SECTION_HEADER)) {
    sections.push_back(*reader.Read<IMAGE_SECTION_HEADER>(at));
  }
}

std::vector<IMAGE_SECTION_HEADER> ReadSectionTable(const ByteSource& file, std::uint64_t ntOffset,
                                                  const IMAGE_FILE_HEADER& fileHeader) {
  // NumberOfSections is unsigned: at most 65535 records. They are read a
  // block at a time, so a count that the file does not back costs nothing.
  constexpr std::size_t kRecordsPerBlock = 256;
  const std::size_t count = fileHeader.NumberOfSections;
  std::uint64_t offset = ntOffset + kOptionalHeaderOffset + fileHeader.SizeOfOptionalHeader;
  std::vector<IMAGE_SECTION_HEADER> sections;
  while (sections.size() < count) {
    const std::size_t wanted = std::min(count - sections.size(), kRecordsPerBlock) * sizeof(IMAGE_SECTION_HEADER);
    const ByteBuffer block = ReadUpTo(file, offset, wanted);
    // A table cut short by the end of the file keeps the records that are complete.
    AppendSections(block, sections);
    if (block.size() < wanted) break;
    offset += wanted;
  }
  return sections;
}

// Reads the NT headers and everything after them into `state`; false when
// the signature is missing.
bool ReadNtHeaders(const ByteSource& file, std::uint64_t ntOffset, PeHeaderState& state) {
  const ByteBuffer bytes = ReadUpTo(file, ntOffset, sizeof(IMAGE_NT_HEADERS64));
  // Signature and file header must be there; an optional header cut short by
  // the end of the file reads its missing fields as 0.
  if (bytes.size() < kOptionalHeaderOffset) return false;
  const auto nt32 = ZeroExtended<IMAGE_NT_HEADERS32>(bytes);
  if (nt32.Signature != kNtSignature) return false;
  state.ntHeaders32 = nt32;
  state.imageBase = nt32.OptionalHeader.ImageBase;
  if (nt32.OptionalHeader.Magic == kPe32PlusMagic) {
    state.ntHeaders64 = ZeroExtended<IMAGE_NT_HEADERS64>(bytes);
    state.imageBase = state.ntHeaders64.OptionalHeader.ImageBase;
  }
  state.sections = ReadSectionTable(file, ntOffset, nt32.FileHeader);
  return true;
}

// Reads the headers of `file` into the all-zero `state`; true when the NT
// signature matched.
bool ReadHeadersInto(const ByteSource& file, PeHeaderState& state) {
  const ByteBuffer dos = ReadUpTo(file, 0, sizeof(IMAGE_DOS_HEADER));
  if (dos.size() < sizeof(IMAGE_DOS_HEADER)) return false;
  state.dosHeader = ZeroExtended<IMAGE_DOS_HEADER>(dos);
  if (state.dosHeader.e_magic != kDosSignature) return false;
  const auto ntOffset = NtHeadersOffset(state.dosHeader.e_lfanew);
  return ntOffset && ReadNtHeaders(file, *ntOffset, state);
}

std::uint32_t SizeOfHeaders(const PeHeaderState& state) {
  // The field sits at the same offset in both optional header layouts.
  return state.ntHeaders32.OptionalHeader.SizeOfHeaders;
}

// The first section whose raw data holds `offset`, or none.
const IMAGE_SECTION_HEADER* SectionHolding(const PeHeaderState& state, std::uint64_t offset) {
  for (const IMAGE_SECTION_HEADER& section : state.sections) {
    const std::uint64_t rawStart = section.PointerToRawData;
    const std::uint64_t rawEnd = rawStart + section.SizeOfRawData;  // 64-bit: no wrap
    if (offset >= rawStart && offset < rawEnd) return &section;
  }
  return nullptr;
}

// Upper-case hex of `value`, at least 8 digits.
AnsiText AddressHex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  AnsiText text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (text.size() < 8) text.insert(0, 8 - text.size(), '0');
  return text;
}

}  // namespace

bool IsPeFile(const ByteSource* file) {
  if (file == nullptr) return false;
  const auto lfanew = ZeroExtended<std::int32_t>(ReadUpTo(*file, kLfanewOffset, sizeof(std::int32_t)));
  const auto ntOffset = NtHeadersOffset(lfanew);
  if (!ntOffset) return false;
  const ByteBuffer signature = ReadUpTo(*file, *ntOffset, sizeof(std::uint32_t));
  return signature.size() == sizeof(std::uint32_t) && ZeroExtended<std::uint32_t>(signature) == kNtSignature;
}

bool ReadPeHeaders(const ByteSource* file, PeHeaderState& state) {
  // A fresh state, so nothing of an earlier file survives a failed reading.
  PeHeaderState fresh;
  const bool signatureMatched = file != nullptr && ReadHeadersInto(*file, fresh);
  state = std::move(fresh);
  return signatureMatched;
}

std::optional<std::uint64_t> VirtualAddressOf(const PeHeaderState& state, std::uint64_t offset) {
  if (state.ntHeaders32.Signature != kNtSignature) return std::nullopt;
  std::optional<std::uint64_t> address;
  if (const IMAGE_SECTION_HEADER* section = SectionHolding(state, offset)) {
    // An address past 2^64 (a PE32+ ImageBase near the top) is no address;
    // the byte still belongs to the section, not to the headers.
    const auto rva = CheckedAdd(section->VirtualAddress, offset - section->PointerToRawData);
    if (rva) address = CheckedAdd(state.imageBase, *rva);
  } else if (offset < SizeOfHeaders(state)) {
    address = CheckedAdd(state.imageBase, offset);
  }
  // A 32-bit image lives in a 32-bit address space: its sums wrap there.
  if (address && !IsPe32Plus(state)) address = *address & 0xFFFFFFFFu;
  return address;
}

AnsiText VirtualAddressText(const PeHeaderState& state, std::uint64_t position) {
  if (position == 0) return texts::kNoVa;  // positions count from 1
  const auto address = VirtualAddressOf(state, position - 1);
  return address ? AddressHex(*address) : texts::kNoVa;
}

}  // namespace varomby
