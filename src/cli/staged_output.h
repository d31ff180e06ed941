#pragma once
// Output that reaches its stream only when the command succeeds: rows are
// held in memory up to a limit and then in an unnamed temporary file, so a
// comparison that fails midway leaves standard output empty while memory
// stays bounded however many rows there are.
#include <cstddef>
#include <cstdio>
#include <string>

namespace varomby::cli {

class StagedOutput {
 public:
  explicit StagedOutput(std::size_t memoryLimit = 16u << 20) : memoryLimit_(memoryLimit) {}
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;
  ~StagedOutput();

  void Write(const char* data, std::size_t size);
  // Copies everything staged to `out`; false when a write failed.
  bool CommitTo(std::FILE* out);

 private:
  void Spill();

  std::size_t memoryLimit_;
  std::string memory_;
  std::FILE* spill_ = nullptr;
  bool failed_ = false;
};

}  // namespace varomby::cli
