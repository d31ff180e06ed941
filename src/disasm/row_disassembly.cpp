#include "disasm/row_disassembly.h"

#include "common/texts.h"
#include "compare/event_pump.h"

namespace varomby {
namespace {

// One box: the current row read anew, its hexadecimal cell `column`
// decoded at the row's address into `box`. False once the window closes.
bool ShowSide(Ui& ui, EventPump& pump, int column, Control box, CodeMode mode) {
  const std::int64_t row = ui.ListCurrentRow();
  const AnsiText hexCell = ui.ListGetCell(row, column);
  const std::uint64_t address = RuntimeAddressFromCell(ui.ListGetCell(row, 1));
  const WorkCheckpoint checkpoint = [&pump] { return pump.Checkpoint(); };
  const std::optional<ByteBuffer> bytes = HexTextToBytes(hexCell, checkpoint);
  if (!bytes) return false;
  const auto instructions = DecodeInstructions(*bytes, address, mode, checkpoint);
  if (!instructions || pump.Closing()) return false;
  ui.SetText(box, JoinInstructionLines(*instructions));
  return true;
}

}  // namespace

void ShowRowDisassemblyIn(Ui& ui, CodeMode mode, std::chrono::steady_clock::duration eventBudget) {
  if (ui.ListGetCell(ui.ListCurrentRow(), 1) == texts::kNoPe) return;
  EventPump pump(ui, eventBudget);
  if (!ShowSide(ui, pump, 2, Control::DisasmBox1, mode)) return;
  ShowSide(ui, pump, 3, Control::DisasmBox2, mode);
}

std::vector<AnsiText> RowListingLines(std::string_view addressCell, std::span<const std::uint8_t> bytes,
                                      CodeMode mode) {
  std::vector<AnsiText> lines;
  if (addressCell == texts::kNoPe) return lines;
  const auto instructions = DecodeInstructions(bytes, RuntimeAddressFromCell(addressCell), mode);
  lines.reserve(instructions->size());
  for (const auto& instruction : *instructions) lines.push_back(instruction.text);
  return lines;
}

}  // namespace varomby
