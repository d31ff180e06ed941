#pragma once
// The body of the list's left-click handler, with the code mode and the
// event budget given by the caller (tests pass a zero budget so that every
// checkpoint pumps events).
#include <chrono>

#include "disasm/decoder.h"
#include "ui/ui.h"

namespace varomby {

// Event budget of the handler in the window: at most ~30 ms of work
// between two passes over the waiting events.
inline constexpr std::chrono::milliseconds kDisasmEventBudget{30};

// Reads the current row anew before each cell read: column 1 "No PE" ends
// the handler with both boxes untouched; otherwise columns 2 and 3 are
// decoded into DisasmBox1 and then DisasmBox2, each at the runtime address
// of column 1 of the row read for it. Stops without touching any control
// once the window is closing.
void ShowRowDisassemblyIn(Ui& ui, CodeMode mode, std::chrono::steady_clock::duration eventBudget);

// The lines (without CR LF) that the window shows for one side of a row:
// `bytes` decoded at the address in `addressCell`; none for a "No PE" row,
// whose boxes the window leaves alone.
std::vector<AnsiText> RowListingLines(std::string_view addressCell, std::span<const std::uint8_t> bytes,
                                      CodeMode mode);

struct PeHeaderState;

// The code of the compared files' rows: 64-bit for a PE32+ first file,
// 32-bit for any other or none.
CodeMode RowCodeMode(const PeHeaderState* peState);

}  // namespace varomby
