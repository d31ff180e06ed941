#pragma once
// Output that stays only when the command succeeds, so a comparison that
// fails midway leaves standard output empty. Into a regular file the rows
// go straight away and are cut off again on failure; into a pipe or a
// terminal they are held back, in memory up to a limit and then in an
// unnamed temporary file, so memory stays bounded however many rows there
// are.
#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <string>

namespace varomby::cli {

class StagedOutput {
 public:
  explicit StagedOutput(std::FILE* out, std::size_t memoryLimit = 16u << 20);
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;
  ~StagedOutput();  // discards what was not committed

  void Write(const char* data, std::size_t size);
  // Lets everything written stand; false when a write failed.
  bool Commit();
  // Takes back everything written so far.
  void Discard();

 private:
  void Spill();

  std::FILE* out_;
  std::size_t memoryLimit_;
  off_t fileStart_ = -1;  // where a regular file stood; -1 when staging
  std::string memory_;
  std::FILE* spill_ = nullptr;
  bool failed_ = false;
  bool done_ = false;
};

}  // namespace varomby::cli
