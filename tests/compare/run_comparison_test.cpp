#include "compare/run_comparison.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/texts.h"
#include "compare/result_row.h"
#include "pe/pe_header_state.h"
#include "pe/pe_reader.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace varomby {
namespace {

using testing::FakeUi;
using testing::TempDir;
using Row = std::vector<AnsiText>;

AnsiText DoneStatus(int rows, int total) {
  return texts::kStatusDonePrefix + std::to_string(rows) + texts::kStatusDoneMiddle + std::to_string(total);
}

// The smallest bytes that pass the PE test: "PE\0\0" at the offset stored at 60.
std::string MinimalPe(std::size_t length) {
  std::string bytes(length, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[60] = 64;
  bytes.replace(64, 4, std::string("PE\0\0", 4));
  return bytes;
}

class RunComparisonTest : public ::testing::Test {
 protected:
  // Puts the two files in the path boxes.
  void SetFiles(const std::string& first, const std::string& second) {
    ui.SetText(Control::PathBox1, dir.Write("first", first));
    ui.SetText(Control::PathBox2, dir.Write("second", second));
  }
  std::string Path(int box) const { return ui.GetText(box == 1 ? Control::PathBox1 : Control::PathBox2); }

  // Pumps at every checkpoint and reads in small blocks, so that short
  // files exercise nested events and block boundaries.
  void Run() { RunComparison(ui, peState, ComparisonSettings{std::chrono::nanoseconds(0), 4}); }

  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    for (std::int64_t r = 0; r < ui.ListRowCount(); ++r) {
      Row row;
      for (int c = 0; c < FakeUi::kColumns; ++c) row.push_back(ui.ListGetCell(r, c));
      rows.push_back(row);
    }
    return rows;
  }

  // A list and status left by an earlier run, to see that failures keep them.
  void FillEarlierResult() {
    SetFiles("ABCD", "AXCD");
    Run();
    ASSERT_EQ(ui.ListRowCount(), 1);
  }
  void ExpectEarlierResultKept() {
    EXPECT_EQ(ui.ListRowCount(), 1);
    EXPECT_EQ(ui.StatusPart(1), DoneStatus(1, 1));
    EXPECT_TRUE(ui.IsEnabled(Control::CompareButton));
  }
  void ExpectOnlyError(const AnsiText& text) {
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, text);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.messages[0].title, texts::kTitleError);
  }

  TempDir dir;
  FakeUi ui;
  PeHeaderState peState;
};

TEST_F(RunComparisonTest, ListsEveryRunOfDifferingBytes) {
  const struct {
    const char* name;
    std::string first;
    std::string second;
    std::vector<Row> rows;
    int total;
  } cases[] = {
      {"ABCD/AXCY", "ABCD", "AXCY",
       {{"00000002", "No PE", "42", "58", "B", "X"}, {"00000004", "No PE", "44", "59", "D", "Y"}}, 2},
      {"identical", "same bytes", "same bytes", {}, 0},
      {"empty", "", "", {}, 0},
      {"every byte", "abcdefghij", "ABCDEFGHIJ",
       {{"00000001", "No PE", "6162636465666768696A", "4142434445464748494A", "abcdefghij", "ABCDEFGHIJ"}}, 10},
      {"last byte", "0123456789", "012345678X", {{"0000000A", "No PE", "39", "58", "9", "X"}}, 1},
      {"3+2 across blocks", "aaa.aa", "bbb.bb",
       {{"00000001", "No PE", "616161", "626262", "aaa", "bbb"}, {"00000005", "No PE", "6161", "6262", "aa", "bb"}}, 5},
      {"zeros inside a run", std::string("xA\0By", 5), std::string("x\0C\0y", 5),
       {{"00000002", "No PE", "410042", "004300", "AB", "C"}}, 3},
      {"only zeros on one side", std::string("x\0\0y", 4), "xABy",
       {{"00000002", "No PE", "0000", "4142", "", "AB"}}, 2},
      {"run over a block boundary", "......ABCDEFGH..", "......abcdefgh..",
       {{"00000007", "No PE", "4142434445464748", "6162636465666768", "ABCDEFGH", "abcdefgh"}}, 8},
  };
  for (const auto& c : cases) {
    SetFiles(c.first, c.second);
    Run();
    EXPECT_EQ(Rows(), c.rows) << c.name;
    EXPECT_EQ(ui.StatusPart(1), DoneStatus(static_cast<int>(c.rows.size()), c.total)) << c.name;
    EXPECT_TRUE(ui.IsEnabled(Control::CompareButton)) << c.name;
    EXPECT_TRUE(ui.messages.empty()) << c.name;
  }
}

TEST_F(RunComparisonTest, AddressColumnNeedsBothFilesToBePe) {
  const std::string pe = MinimalPe(256);
  std::string changedPe = pe;
  changedPe[200] = 'x';
  std::string notPe = changedPe;
  notPe[64] = 'Q';

  for (const bool peFirst : {true, false}) {
    SetFiles(peFirst ? pe : notPe, peFirst ? notPe : pe);
    Run();
    ASSERT_EQ(ui.ListRowCount(), 2);
    EXPECT_EQ(ui.ListGetCell(0, 1), texts::kNoPe);
    EXPECT_EQ(ui.ListGetCell(1, 1), texts::kNoPe);
  }

  SetFiles(pe, changedPe);
  Run();
  ASSERT_EQ(ui.ListRowCount(), 1);
  EXPECT_EQ(ui.ListGetCell(0, 0), "000000C9");
  EXPECT_EQ(ui.ListGetCell(0, 1), VirtualAddressText(peState, 201));
}

TEST_F(RunComparisonTest, DifferentLengthsOnlyShowTheMessage) {
  for (const bool firstShorter : {true, false}) {
    FillEarlierResult();
    ui.messages.clear();
    SetFiles(firstShorter ? "ABC" : "ABCDE", firstShorter ? "ABCD" : "ABCD");
    Run();
    ExpectOnlyError(texts::kMsgLengthsDiffer);
    ExpectEarlierResultKept();
  }
}

TEST_F(RunComparisonTest, UnopenablePathNamesThatPathAndChangesNothing) {
  for (const int badBox : {1, 2}) {
    for (const std::string& badPath : {std::string(), (dir.path() / "missing").string(), dir.path().string()}) {
      FillEarlierResult();
      ui.messages.clear();
      ui.SetText(badBox == 1 ? Control::PathBox1 : Control::PathBox2, badPath);
      Run();
      ExpectOnlyError(texts::kMsgCannotOpen + badPath);
      ExpectEarlierResultKept();
    }
  }
  // Both unopenable: the first path is named.
  ui.messages.clear();
  ui.SetText(Control::PathBox1, "/no/such/a");
  ui.SetText(Control::PathBox2, "/no/such/b");
  Run();
  ExpectOnlyError(texts::kMsgCannotOpen + "/no/such/a");
}

TEST_F(RunComparisonTest, SamePathTwiceHasNoRows) {
  FillEarlierResult();
  ui.SetText(Control::PathBox2, Path(1));
  Run();
  EXPECT_EQ(ui.ListRowCount(), 0);
  EXPECT_EQ(ui.StatusPart(1), DoneStatus(0, 0));
}

TEST_F(RunComparisonTest, NestedClickSeesRowsSoFarWithTheButtonDisabled) {
  SetFiles(std::string(64, 'a') + "b", std::string(64, 'A') + "c");
  std::vector<Row> seen;
  bool buttonEnabledInside = true;
  ui.onPump = [&] {
    buttonEnabledInside = buttonEnabledInside && ui.IsEnabled(Control::CompareButton);
    if (ui.ListRowCount() > 0) seen.push_back({ui.ListGetCell(0, 0), ui.ListGetCell(0, 2), ui.ListGetCell(0, 4)});
  };
  Run();
  EXPECT_FALSE(buttonEnabledInside);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front()[0], "00000001");
  EXPECT_EQ(seen.front()[2], "");  // the click came while the row was still being built
  EXPECT_EQ(seen.back()[0], "00000001");
  EXPECT_EQ(ui.ListRowCount(), 1);
  EXPECT_TRUE(ui.IsEnabled(Control::CompareButton));
}

TEST_F(RunComparisonTest, ClosingMidRunStopsWithoutTouchingControls) {
  SetFiles("a.b.c.d.e.f.g.h.", "A.B.C.D.E.F.G.H.");
  std::int64_t rowsAtClose = -1;
  ui.onPump = [&] {
    if (ui.ListRowCount() >= 2 && !ui.closing) {
      ui.closing = true;
      rowsAtClose = ui.ListRowCount();
    }
  };
  const AnsiText statusBefore = ui.StatusPart(1);
  Run();
  EXPECT_EQ(ui.ListRowCount(), rowsAtClose);
  EXPECT_EQ(ui.StatusPart(1), statusBefore);
  EXPECT_FALSE(ui.IsEnabled(Control::CompareButton));  // left alone, not re-enabled
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RunComparisonTest, FileChangedWhileReadIsReportedNotCompleted) {
  const struct {
    const char* name;
    int changedBox;
    std::size_t newLength;
  } cases[] = {
      {"second truncated", 2, 10}, {"second grown", 2, 64}, {"first truncated", 1, 0}, {"first grown", 1, 33},
  };
  for (const auto& c : cases) {
    FillEarlierResult();
    ui.messages.clear();
    SetFiles(std::string(32, 'a'), std::string(16, 'a') + std::string(16, 'b'));
    const AnsiText statusBefore = ui.StatusPart(1);
    bool changed = false;
    ui.onPump = [&] {
      if (!changed) std::filesystem::resize_file(Path(c.changedBox), c.newLength);
      changed = true;
    };
    Run();
    ui.onPump = nullptr;
    ExpectOnlyError(texts::kMsgFileChanged + Path(c.changedBox));
    EXPECT_EQ(ui.StatusPart(1), statusBefore) << c.name;
    EXPECT_TRUE(ui.IsEnabled(Control::CompareButton)) << c.name;
  }
}

}  // namespace
}  // namespace varomby
