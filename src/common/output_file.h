#pragma once
// Whole-file writing that never leaves a half-written file behind.
#include <string>
#include <string_view>

namespace varomby {

// Writes `bytes` to a new file in the folder of `path`, flushes it to disk
// and renames it over `path`. True on success; on failure `path` keeps its
// earlier content (or stays absent) and no temporary file is left.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace varomby
