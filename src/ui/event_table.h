#pragma once
// The main window's event table: which handler each control event runs.
// No other event of any control runs program code.
#include "ui/ui.h"

namespace varomby {

struct PeHeaderState;

enum class WindowEvent {
  OpenButton1Clicked,   // 按钮_打开1
  OpenButton2Clicked,   // 按钮_打开2
  CompareClicked,       // 按钮_对比
  ExportLogClicked,     // 按钮_写出日志
  ListLeftClick,        // 超级列表框, after the selection was updated
  ListRightClick,       // 超级列表框, after the selection was updated
};

// Runs the handler bound to `event`.
void DispatchWindowEvent(WindowEvent event, Ui& ui, PeHeaderState& peState);

// Runs the files-dropped handler of a drop target component.
void DispatchFilesDropped(DropTarget target, Ui& ui, const AnsiText& droppedText);

}  // namespace varomby
