#include "export/export_handlers.h"

#include <vector>

#include "common/output_file.h"
#include "common/file_name_text.h"
#include "common/texts.h"
#include "export/row_texts.h"

namespace varomby {
namespace {

constexpr int kLogColumns = 6;

std::vector<AnsiText> RowCellsOf(const Ui& ui, std::int64_t row, int columns) {
  std::vector<AnsiText> cells;
  cells.reserve(static_cast<std::size_t>(columns > 0 ? columns : 0));
  for (int column = 0; column < columns; ++column) cells.push_back(ui.ListGetCell(row, column));
  return cells;
}

void PrepareSaveDialog(FileDialogState& dialog) {
  dialog.kind = FileDialogKind::Save;
  dialog.filter = texts::kFilterLog;
  dialog.title = texts::kDialogTitleSave;
  dialog.defaultExtension = texts::kDefaultLogExtension;
}

}  // namespace

void ExportLog(Ui& ui) {
  PrepareSaveDialog(ui.FileDialog());
  if (ui.ListRowCount() < 1) {
    ui.ShowMessage(texts::kMsgNoRows, MessageIcon::None);
    return;
  }
  if (!ui.RunFileDialog()) return;

  AnsiText log;
  const std::int64_t rows = ui.ListRowCount();
  for (std::int64_t row = 0; row < rows; ++row) AppendLogLine(RowCellsOf(ui, row, kLogColumns), log);

  const AnsiText path = ui.FileDialog().fileName;
  if (!WriteFileAtomically(path, log)) {
    ui.ShowMessage(texts::kMsgLogWriteFailed + FileNameText(path), MessageIcon::Error, texts::kTitleError);
  }
}

void CopyRowToClipboard(Ui& ui) {
  const std::int64_t row = ui.ListCurrentRow();
  ui.SetClipboardText(ClipboardText(RowCellsOf(ui, row, ui.ListColumnCount())));
}

}  // namespace varomby
