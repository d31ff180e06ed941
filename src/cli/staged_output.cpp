#include "cli/staged_output.h"

#include <vector>

namespace varomby::cli {

StagedOutput::~StagedOutput() {
  if (spill_ != nullptr) std::fclose(spill_);
}

void StagedOutput::Write(const char* data, std::size_t size) {
  if (spill_ != nullptr) {
    failed_ |= std::fwrite(data, 1, size, spill_) != size;
    return;
  }
  memory_.append(data, size);
  if (memory_.size() > memoryLimit_) Spill();
}

void StagedOutput::Spill() {
  spill_ = std::tmpfile();
  if (spill_ == nullptr) {
    failed_ = true;  // no room to stage: the command reports trouble
    memory_.clear();
    return;
  }
  failed_ |= std::fwrite(memory_.data(), 1, memory_.size(), spill_) != memory_.size();
  memory_.clear();
  memory_.shrink_to_fit();
}

bool StagedOutput::CommitTo(std::FILE* out) {
  if (failed_) return false;
  if (spill_ != nullptr) {
    std::rewind(spill_);
    std::vector<char> block(1u << 20);
    std::size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), spill_)) > 0) {
      if (std::fwrite(block.data(), 1, n, out) != n) return false;
    }
    if (std::ferror(spill_) != 0) return false;
  }
  return std::fwrite(memory_.data(), 1, memory_.size(), out) == memory_.size();
}

}  // namespace varomby::cli
