#include "disasm/row_disassembly.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_ui.h"

namespace varomby {
namespace {

using testing::FakeUi;

constexpr auto kPumpAlways = std::chrono::steady_clock::duration::zero();

// A list of rows (address, first bytes, second bytes) and two boxes that
// hold a text from an earlier run.
class RowDisassemblyTest : public ::testing::Test {
 protected:
  void AddRow(const AnsiText& address, const AnsiText& first, const AnsiText& second) {
    const std::int64_t row = ui.ListAppendRow();
    ui.ListSetCell(row, 0, "00000400");
    ui.ListSetCell(row, 1, address);
    ui.ListSetCell(row, 2, first);
    ui.ListSetCell(row, 3, second);
  }
  void SetUp() override {
    ui.SetText(Control::DisasmBox1, "earlier");
    ui.SetText(Control::DisasmBox2, "earlier");
  }
  void Click(CodeMode mode = CodeMode::Bits32) { ShowRowDisassemblyIn(ui, mode, kPumpAlways); }
  AnsiText Box1() const { return ui.GetText(Control::DisasmBox1); }
  AnsiText Box2() const { return ui.GetText(Control::DisasmBox2); }

  FakeUi ui;
};

struct ClickCase {
  const char* name;
  AnsiText address;
  std::int64_t selected;
  AnsiText box1;
  AnsiText box2;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }

// One row with the bytes E8 10 00 00 00 (first file) and FF FF (second).
class ClickTest : public RowDisassemblyTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(ClickTest, FillsTheBoxesAsTheRowAsks) {
  AddRow(GetParam().address, "E810000000", "FFFF");
  ui.Select(GetParam().selected);
  Click();
  EXPECT_EQ(Box1(), GetParam().box1);
  EXPECT_EQ(Box2(), GetParam().box2);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ClickTest,
    ::testing::Values(ClickCase{"AtTheRowsAddress", "00401000", 0, "call 401015h\r\n", ""},
                      ClickCase{"NoVaAtAddressZero", "No VA", 0, "call 15h\r\n", ""},
                      ClickCase{"NoPeLeavesBothBoxesAlone", "No PE", 0, "earlier", "earlier"},
                      ClickCase{"NoSelectionEmptiesBothBoxes", "00401000", -1, "", ""}),
    [](const ::testing::TestParamInfo<ClickCase>& param) { return std::string(param.param.name); });

TEST_F(RowDisassemblyTest, PickedCodeModeDecidesTheInstructionSet) {
  AddRow("0000000140001000", "4883EC28", "4883EC28");
  ui.Select(0);
  Click(CodeMode::Bits64);
  EXPECT_EQ(Box1(), "sub rsp, 28h\r\n");
  Click(CodeMode::Bits32);
  EXPECT_EQ(Box2(), "dec eax\r\nsub esp, 28h\r\n");
}

TEST_F(RowDisassemblyTest, ReadsTheCurrentRowAnewForTheSecondBox) {
  AddRow("00401000", "55", "C3");
  AddRow("00402000", "90", "CC");
  ui.Select(0);
  ui.onPump = [this] { ui.Select(1); };
  Click();
  EXPECT_EQ(Box1(), "push ebp\r\n");
  EXPECT_EQ(Box2(), "int3\r\n");
}

TEST_F(RowDisassemblyTest, NestedClickEndsWithTheLastWriterOfEachBox) {
  AddRow("00401000", "55", "C3");
  AddRow("00402000", "90", "CC");
  ui.Select(0);
  bool clicked = false;
  ui.onPump = [this, &clicked] {
    if (clicked) return;
    clicked = true;
    ui.Select(1);
    Click();  // the click waiting in the queue runs inside the first one
    EXPECT_EQ(Box1(), "nop\r\n");
    EXPECT_EQ(Box2(), "int3\r\n");
  };
  Click();
  EXPECT_EQ(Box1(), "push ebp\r\n");  // the outer run read row 0 before the nested click
  EXPECT_EQ(Box2(), "int3\r\n");
}

TEST_F(RowDisassemblyTest, ClosingWindowStopsBeforeAnyBoxIsTouched) {
  AddRow("00401000", "55", "C3");
  ui.Select(0);
  ui.onPump = [this] { ui.closing = true; };
  Click();
  EXPECT_EQ(Box1(), "earlier");
  EXPECT_EQ(Box2(), "earlier");
}

TEST_F(RowDisassemblyTest, RowListingLinesAreTheLinesOfTheBox) {
  AddRow("00401000", "558BECE8F0FFFFFF", "C3");
  ui.Select(0);
  Click();
  AnsiText joined;
  for (const AnsiText& line : RowListingLines("00401000", HexTextToBytes("558BECE8F0FFFFFF"), CodeMode::Bits32)) {
    joined += line + "\r\n";
  }
  EXPECT_EQ(joined, Box1());
  EXPECT_EQ(Box1(), "push ebp\r\nmov ebp, esp\r\ncall 400FF8h\r\n");
  EXPECT_TRUE(RowListingLines("No PE", HexTextToBytes("55"), CodeMode::Bits32).empty());
}

}  // namespace
}  // namespace varomby
