#pragma once
// The hook through which an option adds fields to every JSON row.
//
// To add an option (for example one that decodes each side's bytes):
//   1. write a function with the signature of RowFieldExtension::appendFields
//      that adds its fields to the row's JSON object;
//   2. list it, with its flag and help line, in kRowFieldExtensions in
//      row_fields.cpp.
// The flag is then accepted by the comparison command, shown by --help and,
// when given, the function runs for each row after the standard fields.
// The plain (log) output never changes: it stays byte-equal to the log.
#include <cstdint>
#include <span>
#include <string_view>

#include "cli/json_writer.h"
#include "compare/result_row.h"

namespace varomby {
struct PeHeaderState;
}

namespace varomby::cli {

// What an extension may look at for one row.
struct RowContext {
  std::uint64_t offset;  // 0-based offset of the run
  std::span<const std::uint8_t> first;
  std::span<const std::uint8_t> second;
  const RowCells& cells;
  const PeHeaderState* peState;  // the first file's headers when both files are PE files, else null
};

struct RowFieldExtension {
  std::string_view flag;  // e.g. "--name"
  std::string_view help;  // one line for --help
  void (*appendFields)(const RowContext& row, JsonLineWriter& json);
};

std::span<const RowFieldExtension> RowFieldExtensions();

}  // namespace varomby::cli
