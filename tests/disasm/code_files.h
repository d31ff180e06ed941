#pragma once
// Two small files on disk whose code bytes differ, for tests that run a
// whole comparison before decoding its row.
#include <algorithm>
#include <string>

#include "pe/test_image.h"
#include "support/temp_dir.h"

namespace varomby::testing {

// Where the code goes: the raw data of the test image's first section, at
// RVA 0x1000.
inline constexpr std::size_t kCodeOffset = 0x400;

struct CodeFiles {
  std::string first;
  std::string second;
};

// Two images (PE32 at 400000h or PE32+ at 140000000h) holding `code1` and
// `code2` at the start of the first section; two plain files of the same
// layout without a PE signature when `pe` is false. Codes that differ in
// every byte make exactly one row.
inline CodeFiles WriteCodeFiles(const TempDir& dir, bool pe, bool pe32Plus, const ByteBuffer& code1,
                                const ByteBuffer& code2) {
  TestImage image;
  image.pe32Plus = pe32Plus;
  image.imageBase = pe32Plus ? 0x140000000 : 0x400000;
  ByteBuffer first = image.Bytes();
  if (!pe) first[static_cast<std::size_t>(image.lfanew)] = 'X';
  ByteBuffer second = first;
  std::copy(code1.begin(), code1.end(), first.begin() + kCodeOffset);
  std::copy(code2.begin(), code2.end(), second.begin() + kCodeOffset);
  return {dir.Write("first.bin", first), dir.Write("second.bin", second)};
}

}  // namespace varomby::testing
