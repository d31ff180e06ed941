#pragma once
// The log export and the row copy, over the UI operations.
#include "ui/ui.h"

namespace varomby {

// "写出日志": writes every row of the result list to a file chosen in the
// save dialog.
void ExportLog(Ui& ui);

// Right click in the list: copies the selected row's cells, joined by "|".
void CopyRowToClipboard(Ui& ui);

}  // namespace varomby
