// Files past 2 GiB and 4 GiB positions, made sparse so that they cost no disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/texts.h"
#include "compare/run_comparison.h"
#include "pe/pe_header_state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace varomby {
namespace {

constexpr std::uint64_t k2GiB = 1ull << 31;

void PokeBytes(const std::string& path, std::uint64_t offset, const std::string& bytes) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(LargeFileTest, PositionsPastTwoGiBAreListedExactly) {
  testing::TempDir dir;
  const std::uint64_t length = k2GiB + 4096;
  const std::string first = dir.Write("first", "");
  const std::string second = dir.Write("second", "");
  std::filesystem::resize_file(first, length);
  std::filesystem::resize_file(second, length);
  PokeBytes(second, k2GiB - 2, "ABCD");    // a run across the 2 GiB line
  PokeBytes(second, length - 1, "Z");      // the very last byte

  testing::FakeUi ui;
  ui.SetText(Control::PathBox1, first);
  ui.SetText(Control::PathBox2, second);
  PeHeaderState peState;
  RunComparison(ui, peState);

  ASSERT_EQ(ui.ListRowCount(), 2);
  EXPECT_EQ(ui.ListGetCell(0, 0), "7FFFFFFF");
  EXPECT_EQ(ui.ListGetCell(0, 3), "41424344");
  EXPECT_EQ(ui.ListGetCell(1, 0), "80001000");
  EXPECT_EQ(ui.ListGetCell(1, 5), "Z");
  EXPECT_EQ(ui.StatusPart(1), texts::kStatusDonePrefix + "2" + texts::kStatusDoneMiddle + "5");
}

}  // namespace
}  // namespace varomby
