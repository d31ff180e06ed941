// Every file of the corpus of odd PE files through the signature test, the
// header reading and the address mapping: no crash, no hang, sane results.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>

#include "pe/pe_reader.h"

namespace varomby {
namespace {

ByteBuffer ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return ByteBuffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Positions around the headers and the raw data of the first sections (some
// files have tens of thousands), and a stride through the file.
std::vector<std::uint64_t> ProbePositions(const PeHeaderState& state, std::uint64_t fileSize) {
  std::vector<std::uint64_t> positions = {0, 1, fileSize, fileSize + 1, UINT64_MAX};
  const std::uint64_t headers = state.ntHeaders32.OptionalHeader.SizeOfHeaders;
  positions.insert(positions.end(), {headers, headers + 1});
  const std::size_t probed = std::min<std::size_t>(state.sections.size(), 64);
  for (const IMAGE_SECTION_HEADER& s : std::span(state.sections).first(probed)) {
    const std::uint64_t start = s.PointerToRawData;
    const std::uint64_t end = start + s.SizeOfRawData;
    positions.insert(positions.end(), {start, start + 1, end, end + 1});
  }
  for (std::uint64_t p = 1; p <= fileSize; p += fileSize / 16 + 1) positions.push_back(p);
  return positions;
}

TEST(PeCorpusTest, EveryFileReadsAndMapsSoundly) {
  const std::filesystem::path corpus = VAROMBY_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  int files = 0;
  int peFiles = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().string());
    const ByteBuffer bytes = ReadFileBytes(entry.path());
    const MemorySource source(bytes);
    const bool isPe = IsPeFile(&source);
    PeHeaderState state;
    const bool headersRead = ReadPeHeaders(&source, state);
    // Reading the headers finds the same signature the quick test found.
    EXPECT_TRUE(isPe || !headersRead);
    EXPECT_LE(state.sections.size(), state.ntHeaders32.FileHeader.NumberOfSections);
    for (const std::uint64_t position : ProbePositions(state, bytes.size())) {
      const AnsiText text = VirtualAddressText(state, position);
      EXPECT_TRUE(text == "No VA" || text.size() >= 8) << text;
    }
    ++files;
    peFiles += headersRead ? 1 : 0;
  }
  EXPECT_GT(files, 0);
  EXPECT_GT(peFiles, 0);
}

}  // namespace
}  // namespace varomby
