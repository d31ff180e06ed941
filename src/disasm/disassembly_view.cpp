#include "disasm/disassembly_view.h"

#include "disasm/row_disassembly.h"
#include "pe/pe_header_state.h"

namespace varomby {

CodeMode RowCodeMode(const PeHeaderState* peState) {
  return peState != nullptr && IsPe32Plus(*peState) ? CodeMode::Bits64 : CodeMode::Bits32;
}

void ShowRowDisassembly(Ui& ui, const PeHeaderState& peState) {
  ShowRowDisassemblyIn(ui, RowCodeMode(&peState), kDisasmEventBudget);
}

}  // namespace varomby
