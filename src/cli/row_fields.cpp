#include "cli/row_fields.h"

#include <vector>

namespace varomby::cli {

std::span<const RowFieldExtension> RowFieldExtensions() {
  // Options that add JSON fields to each row; see row_fields.h.
  static const std::vector<RowFieldExtension> extensions = {};
  return extensions;
}

}  // namespace varomby::cli
