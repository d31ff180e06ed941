// Every file of the corpus of odd PE files against a copy with flipped
// bytes: the comparison must finish and list exactly the flipped runs.
#include <gtest/gtest.h>

#include <filesystem>

#include "compare/run_comparison.h"
#include "pe/pe_header_state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace varomby {
namespace {

// Flips bytes at a few spread-out offsets; how many single-byte runs result.
std::int64_t FlipSpreadBytes(std::string& bytes) {
  std::int64_t runs = 0;
  for (std::size_t offset = 0; offset < bytes.size(); offset += 97 + bytes.size() / 7) {
    bytes[offset] = static_cast<char>(~bytes[offset]);
    ++runs;
  }
  return runs;
}

TEST(CorpusTest, EveryFileAgainstAFlippedCopy) {
  const std::filesystem::path corpus = VAROMBY_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  testing::TempDir dir;
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    std::string copy = testing::ReadWholeFile(entry.path());
    const std::int64_t runs = FlipSpreadBytes(copy);
    testing::FakeUi ui;
    ui.SetText(Control::PathBox1, entry.path().string());
    ui.SetText(Control::PathBox2, dir.Write("flipped", copy));
    PeHeaderState peState;
    RunComparison(ui, peState);
    EXPECT_EQ(ui.ListRowCount(), runs) << entry.path();
    EXPECT_TRUE(ui.messages.empty()) << entry.path();
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace varomby
