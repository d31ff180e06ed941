#pragma once
// The disassembly of the selected row's bytes into the two lower boxes.
#include "ui/ui.h"

namespace varomby {

struct PeHeaderState;

// Left click in the list: decodes columns 2 and 3 of the current row into
// the two disassembly boxes (rows of non-PE comparisons are left alone).
void ShowRowDisassembly(Ui& ui, const PeHeaderState& peState);

}  // namespace varomby
