#include "ui/event_table.h"

#include "compare/run_comparison.h"
#include "disasm/disassembly_view.h"
#include "export/export_handlers.h"
#include "pe/pe_header_state.h"
#include "ui/file_selection.h"

namespace varomby {

void DispatchWindowEvent(WindowEvent event, Ui& ui, PeHeaderState& peState) {
  switch (event) {
    case WindowEvent::OpenButton1Clicked: return PickFileWithDialog(ui, Control::PathBox1);
    case WindowEvent::OpenButton2Clicked: return PickFileWithDialog(ui, Control::PathBox2);
    case WindowEvent::CompareClicked: return RunComparison(ui, peState);
    case WindowEvent::ExportLogClicked: return ExportLog(ui);
    case WindowEvent::ListLeftClick: return ShowRowDisassembly(ui, peState);
    case WindowEvent::ListRightClick: return CopyRowToClipboard(ui);
  }
}

void DispatchFilesDropped(DropTarget target, Ui& ui, const AnsiText& droppedText) {
  AcceptDroppedFile(ui, BoxOfDropTarget(target), droppedText);
}

}  // namespace varomby
