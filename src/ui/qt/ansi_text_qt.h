#pragma once
// Conversions between the core's texts and Qt strings. Texts are code page
// 936 bytes (decoded as GBK); paths are the platform's file-name bytes.
#include <QString>

#include "common/types.h"

namespace varomby::qt {

// The text as it reads, control characters kept (clipboard, edit boxes).
QString DecodeAnsi(const AnsiText& text);
// The text for drawing in a cell: control characters shown as a middle dot,
// so that a TAB or line break inside a cell cannot hide or wrap it.
QString DecodeAnsiForDisplay(const AnsiText& text);
// Characters without a code page 936 form become '?'.
AnsiText EncodeAnsi(const QString& text);

AnsiText PathToAnsi(const QString& path);
QString AnsiToPath(const AnsiText& path);

}  // namespace varomby::qt
