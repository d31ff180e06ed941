#pragma once
// File names as the platform keeps them (UTF-8 bytes on POSIX) turned into
// text of the program's code page, for messages that show a path.
#include <string>

#include "common/types.h"

namespace varomby {

// The file name as code page 936 text; characters without a form there
// become '?'. Plain ASCII names come back unchanged.
AnsiText FileNameText(const std::string& fileName);

}  // namespace varomby
