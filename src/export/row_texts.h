#pragma once
// The texts that leave the program for a row: its log line and its
// clipboard copy. Cell texts are taken unchanged, nothing is escaped.
#include <span>

#include "common/types.h"

namespace varomby {

// Appends the log line of a row's cells (columns 0..5) to `out`: seven
// TAB-separated fields, fields 3-7 in double quotes, the seventh the empty
// text, then CR LF. Missing cells count as empty.
void AppendLogLine(std::span<const AnsiText> cells, AnsiText& out);

// The cells joined with "|", no line end.
AnsiText ClipboardText(std::span<const AnsiText> cells);

}  // namespace varomby
