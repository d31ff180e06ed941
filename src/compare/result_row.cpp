#include "compare/result_row.h"

#include <utility>

#include "common/texts.h"
#include "pe/pe_reader.h"

namespace varomby {

bool BuildResultRow(std::uint64_t offset, std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                    const PeHeaderState* peState, const CellSetter& setCell, const WorkCheckpoint& checkpoint) {
  const std::uint64_t position = offset + 1;
  setCell(0, PadWithZeros(HexText(static_cast<std::int64_t>(position)), 8));
  setCell(1, peState != nullptr ? VirtualAddressText(*peState, position) : texts::kNoPe);

  bool keepGoing = true;
  const WorkCheckpoint watched = [&]() {
    keepGoing = !checkpoint || checkpoint();
    return keepGoing;
  };
  const std::span<const std::uint8_t> sides[] = {first, second};
  for (int side = 0; side < 2; ++side) {
    AnsiText hex = BytesToHexText(sides[side], watched);
    if (!keepGoing) return false;
    setCell(2 + side, std::move(hex));
  }
  setCell(4, BytesToCharText(first));
  setCell(5, BytesToCharText(second));
  return true;
}

RowCells ResultRowCells(std::uint64_t offset, std::span<const std::uint8_t> first,
                        std::span<const std::uint8_t> second, const PeHeaderState* peState) {
  RowCells cells;
  BuildResultRow(offset, first, second, peState,
                 [&cells](int column, AnsiText text) { cells[static_cast<std::size_t>(column)] = std::move(text); });
  return cells;
}

}  // namespace varomby
