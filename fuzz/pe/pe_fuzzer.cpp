// Fuzzed bytes through the PE signature test, the header reading and the
// address mapping. Besides the sanitizers, a broken invariant aborts.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "common/byte_reader.h"
#include "pe/pe_reader.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace varomby;
  const MemorySource source(std::span(data, size));
  const bool isPe = IsPeFile(&source);
  PeHeaderState state;
  const bool headersRead = ReadPeHeaders(&source, state);
  Require(isPe || !headersRead);
  Require(state.sections.size() <= state.ntHeaders32.FileHeader.NumberOfSections);

  const std::uint64_t positions[] = {0, 1, 2, size / 2, size, size + 1, 0x401, 0x80000000, UINT64_MAX};
  for (const std::uint64_t position : positions) {
    const AnsiText text = VirtualAddressText(state, position);
    Require(text == "No VA" || (text.size() >= 8 && text.size() <= 16));
  }
  if (!state.sections.empty() && state.sections.front().SizeOfRawData != 0) {
    // The first byte of the first section's raw data lies at its virtual
    // address; no address when that sum does not fit in 64 bits.
    const IMAGE_SECTION_HEADER& first = state.sections.front();
    Require(VirtualAddressOf(state, first.PointerToRawData) == CheckedAdd(state.imageBase, first.VirtualAddress));
  }
  return 0;
}
