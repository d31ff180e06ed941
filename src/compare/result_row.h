#pragma once
// The six cells of one result row, built the same way for the window and
// the command line.
#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "common/types.h"
#include "compare/formatting.h"

namespace varomby {

struct PeHeaderState;

inline constexpr int kResultColumns = 6;
using RowCells = std::array<AnsiText, kResultColumns>;

// Receives one finished cell: its column (0..5) and its text.
using CellSetter = std::function<void(int column, AnsiText text)>;

// Builds the row of the run at 0-based `offset` and hands each cell to
// `setCell` as soon as it is ready, in column order: position (counted
// from 1, 8+ hex digits), virtual address from `peState` (or "No PE" when
// null), hex of both sides, characters of both sides. Returns false, with
// the remaining cells not handed over, when `checkpoint` asks to stop.
bool BuildResultRow(std::uint64_t offset, std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                    const PeHeaderState* peState, const CellSetter& setCell, const WorkCheckpoint& checkpoint = {});

// All six cells of a row at once.
RowCells ResultRowCells(std::uint64_t offset, std::span<const std::uint8_t> first,
                        std::span<const std::uint8_t> second, const PeHeaderState* peState);

}  // namespace varomby
