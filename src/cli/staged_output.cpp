#include "cli/staged_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace varomby::cli {
namespace {

// The position of a regular file that can be cut back to it, else -1.
off_t RegularFilePosition(std::FILE* out) {
  struct stat info {};
  if (::fstat(::fileno(out), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return ::ftello(out);
}

}  // namespace

StagedOutput::StagedOutput(std::FILE* out, std::size_t memoryLimit)
    : out_(out), memoryLimit_(memoryLimit), fileStart_(RegularFilePosition(out)) {}

StagedOutput::~StagedOutput() {
  if (!done_) Discard();
  if (spill_ != nullptr) std::fclose(spill_);
}

void StagedOutput::Write(const char* data, std::size_t size) {
  if (fileStart_ >= 0) {
    failed_ |= std::fwrite(data, 1, size, out_) != size;
  } else if (spill_ != nullptr) {
    failed_ |= std::fwrite(data, 1, size, spill_) != size;
  } else {
    memory_.append(data, size);
    if (memory_.size() > memoryLimit_) Spill();
  }
}

void StagedOutput::Spill() {
  spill_ = std::tmpfile();
  if (spill_ == nullptr) {
    failed_ = true;  // no room to stage: the command reports trouble
  } else {
    failed_ |= std::fwrite(memory_.data(), 1, memory_.size(), spill_) != memory_.size();
  }
  memory_.clear();
  memory_.shrink_to_fit();
}

bool StagedOutput::Commit() {
  done_ = true;
  if (failed_) return false;
  if (spill_ != nullptr) {
    std::rewind(spill_);
    std::vector<char> block(1u << 20);
    std::size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), spill_)) > 0) {
      if (std::fwrite(block.data(), 1, n, out_) != n) return false;
    }
    if (std::ferror(spill_) != 0) return false;
  }
  return std::fwrite(memory_.data(), 1, memory_.size(), out_) == memory_.size();
}

void StagedOutput::Discard() {
  done_ = true;
  memory_.clear();
  if (fileStart_ >= 0 && std::fflush(out_) == 0 && ::ftruncate(::fileno(out_), fileStart_) == 0) {
    ::fseeko(out_, fileStart_, SEEK_SET);
  }
}

}  // namespace varomby::cli
