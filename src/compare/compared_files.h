#pragma once
// Opening the two compared files and the checks made before any byte is
// compared, shared by the window and the command line.
#include <cstdint>
#include <optional>
#include <string>

#include "common/input_file.h"

namespace varomby {

struct PeHeaderState;

enum class OpenProblem { None, CannotOpenFirst, CannotOpenSecond, LengthsDiffer };

// Both files open, with the length measured through these very handles;
// they are the handles the comparison then reads.
struct ComparedFiles {
  InputFile first;
  InputFile second;
  std::uint64_t length = 0;
  bool bothPe = false;  // both passed the PE test; `peState` then holds the first file's headers
};

struct OpenedFiles {
  std::optional<ComparedFiles> files;  // set exactly when problem is None
  OpenProblem problem = OpenProblem::None;
};

// Opens `path1`, then `path2`; tests the first and, only when it passes, the
// second for the PE signature; when both pass reads the first file's headers
// into `peState`; finally compares the lengths.
OpenedFiles OpenComparedFiles(const std::string& path1, const std::string& path2, PeHeaderState& peState);

}  // namespace varomby
