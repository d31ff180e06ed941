#include "cli/row_fields.h"

#include <vector>

#include "disasm/row_disassembly.h"

namespace varomby::cli {
namespace {

// --disasm: the lines that the window's two disassembly boxes show for the
// row; empty arrays for a "No PE" row, whose boxes the window leaves alone.
void AppendDisassembly(const RowContext& row, JsonLineWriter& json) {
  const CodeMode mode = RowCodeMode(row.peState);
  json.Utf8StringArray("asm1", RowListingLines(row.cells[1], row.first, mode));
  json.Utf8StringArray("asm2", RowListingLines(row.cells[1], row.second, mode));
}

}  // namespace

std::span<const RowFieldExtension> RowFieldExtensions() {
  // Options that add JSON fields to each row; see row_fields.h.
  static const std::vector<RowFieldExtension> extensions = {
      {"--disasm", "with --json: add asm1 and asm2, the instructions of both sides", &AppendDisassembly},
  };
  return extensions;
}

}  // namespace varomby::cli
