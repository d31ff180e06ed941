#include "export/row_texts.h"

namespace varomby {
namespace {

constexpr std::size_t kLogCells = 6;
constexpr std::size_t kFirstQuotedCell = 2;

}  // namespace

void AppendLogLine(std::span<const AnsiText> cells, AnsiText& out) {
  for (std::size_t column = 0; column < kLogCells; ++column) {
    const bool quoted = column >= kFirstQuotedCell;
    if (quoted) out += '"';
    if (column < cells.size()) out += cells[column];
    if (quoted) out += '"';
    out += '\t';
  }
  out += "\"\"\r\n";
}

AnsiText ClipboardText(std::span<const AnsiText> cells) {
  AnsiText text;
  for (std::size_t column = 0; column < cells.size(); ++column) {
    if (column > 0) text += '|';
    text += cells[column];
  }
  return text;
}

}  // namespace varomby
