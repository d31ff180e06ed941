#pragma once
// The comparison run behind the "开始对比" button.
#include <chrono>
#include <cstddef>

#include "compare/diff_engine.h"
#include "ui/ui.h"

namespace varomby {

struct PeHeaderState;

// How a run shares the thread with the window and how it reads.
struct ComparisonSettings {
  std::chrono::steady_clock::duration pumpBudget = std::chrono::milliseconds(30);
  std::size_t blockSize = kDefaultDiffBlockSize;
};

// Compares the files named in the two path boxes and fills the result list.
void RunComparison(Ui& ui, PeHeaderState& peState);
void RunComparison(Ui& ui, PeHeaderState& peState, const ComparisonSettings& settings);

}  // namespace varomby
