#pragma once
// The comparison run behind the "开始对比" button.
#include "ui/ui.h"

namespace varomby {

struct PeHeaderState;

// Compares the files named in the two path boxes and fills the result list.
void RunComparison(Ui& ui, PeHeaderState& peState);

}  // namespace varomby
