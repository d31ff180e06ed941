#include "ui/file_selection.h"

#include "common/texts.h"

namespace varomby {
namespace {

// Several dropped files arrive as "path\r\npath\r\n"; only the first counts.
AnsiText FirstDroppedPath(const AnsiText& droppedText) {
  const std::size_t end = droppedText.find_first_of("\r\n");
  return end == AnsiText::npos ? droppedText : droppedText.substr(0, end);
}

}  // namespace

AnsiText ToShortPath(const AnsiText& path) { return path; }

void PickFileWithDialog(Ui& ui, Control box) {
  FileDialogState& dialog = ui.FileDialog();
  dialog.kind = FileDialogKind::Open;
  dialog.filter = texts::kFilterAllFiles;
  dialog.title = texts::kDialogTitleOpen;
  if (!ui.RunFileDialog()) return;
  ui.SetText(box, ToShortPath(ui.FileDialog().fileName));
}

void AcceptDroppedFile(Ui& ui, Control box, const AnsiText& droppedText) {
  ui.SetText(box, ToShortPath(FirstDroppedPath(droppedText)));
}

Control BoxOfDropTarget(DropTarget target) {
  return target == DropTarget::Target1 ? Control::PathBox1 : Control::PathBox2;
}

void RegisterDropTargets(Ui& ui) {
  ui.RegisterDropTarget(DropTarget::Target1, Control::PathBox1);
  ui.RegisterDropTarget(DropTarget::Target2, Control::PathBox2);
}

void RevokeDropTargets(Ui& ui) {
  ui.RevokeDropTarget(DropTarget::Target1, Control::PathBox1);
  ui.RevokeDropTarget(DropTarget::Target2, Control::PathBox2);
}

}  // namespace varomby
