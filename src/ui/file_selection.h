#pragma once
// Filling the two path boxes: the "打开" buttons and files dropped onto a box.
#include "ui/ui.h"

namespace varomby {

// The platform's short form of a path. Where there are no short names it is
// the path itself; a failed conversion also gives the path as given.
AnsiText ToShortPath(const AnsiText& path);

// "打开": shows the open dialog for any file and puts the chosen path into
// `box`; a cancelled dialog leaves the box as it was.
void PickFileWithDialog(Ui& ui, Control box);

// Files dropped onto `box`: `droppedText` holds each path followed by CR LF.
// The box gets the first path only.
void AcceptDroppedFile(Ui& ui, Control box, const AnsiText& droppedText);

// The path box that each drop target component fills.
Control BoxOfDropTarget(DropTarget target);

void RegisterDropTargets(Ui& ui);
void RevokeDropTargets(Ui& ui);

}  // namespace varomby
