#include "compare/compared_files.h"

#include <utility>

#include "pe/pe_reader.h"

namespace varomby {
namespace {

// An opened file whose length cannot be learned cannot be compared either.
std::optional<InputFile> OpenMeasurable(const std::string& path) {
  auto file = InputFile::Open(path);
  if (file && file->Size() < 0) return std::nullopt;
  return file;
}

}  // namespace

OpenedFiles OpenComparedFiles(const std::string& path1, const std::string& path2, PeHeaderState& peState) {
  auto first = OpenMeasurable(path1);
  auto second = OpenMeasurable(path2);
  if (!first) return {std::nullopt, OpenProblem::CannotOpenFirst};
  if (!second) return {std::nullopt, OpenProblem::CannotOpenSecond};

  const bool bothPe = IsPeFile(&*first) && IsPeFile(&*second);
  if (bothPe) ReadPeHeaders(&*first, peState);

  const std::int64_t length = first->Size();
  if (length != second->Size()) return {std::nullopt, OpenProblem::LengthsDiffer};
  return {ComparedFiles{std::move(*first), std::move(*second), static_cast<std::uint64_t>(length), bothPe},
          OpenProblem::None};
}

}  // namespace varomby
