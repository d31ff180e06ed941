#include "disasm/disassembly_view.h"

#include "disasm/row_disassembly.h"
#include "pe/pe_reader.h"

namespace varomby {

// Rows of a PE32+ first file hold 64-bit code; all others 32-bit code.
void ShowRowDisassembly(Ui& ui, const PeHeaderState& peState) {
  ShowRowDisassemblyIn(ui, IsPe32Plus(peState) ? CodeMode::Bits64 : CodeMode::Bits32, kDisasmEventBudget);
}

}  // namespace varomby
