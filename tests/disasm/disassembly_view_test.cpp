#include "disasm/disassembly_view.h"

#include <gtest/gtest.h>

#include "pe/pe_header_state.h"
#include "support/fake_ui.h"

namespace varomby {
namespace {

PeHeaderState HeadersWithMagic(std::uint16_t magic) {
  PeHeaderState state;
  state.ntHeaders32.Signature = kNtSignature;
  state.ntHeaders32.OptionalHeader.Magic = magic;
  return state;
}

// The same row decodes as 64-bit code only when the first file is PE32+.
TEST(ShowRowDisassembly, DecodesRowsOfAPe32PlusFileAs64BitCode) {
  struct Case {
    PeHeaderState state;
    AnsiText listing;
  };
  const Case cases[] = {
      {HeadersWithMagic(kPe32PlusMagic), "sub rsp, 28h\r\n"},
      {HeadersWithMagic(0x10B), "dec eax\r\nsub esp, 28h\r\n"},
      {PeHeaderState{}, "dec eax\r\nsub esp, 28h\r\n"},
  };
  for (const Case& c : cases) {
    testing::FakeUi ui;
    const std::int64_t row = ui.ListAppendRow();
    ui.ListSetCell(row, 1, "0000000140001000");
    ui.ListSetCell(row, 2, "4883EC28");
    ui.Select(row);
    ShowRowDisassembly(ui, c.state);
    EXPECT_EQ(ui.GetText(Control::DisasmBox1), c.listing);
  }
}

}  // namespace
}  // namespace varomby
