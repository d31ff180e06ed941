#pragma once
// A one-line progress bar on standard error, redrawn when the shown
// percentage changes and erased at the end.
#include <cstdint>
#include <cstdio>

namespace varomby::cli {

class ProgressBar {
 public:
  // Shows nothing unless `enabled`.
  ProgressBar(std::FILE* stream, std::uint64_t total, bool enabled) : stream_(stream), total_(total), enabled_(enabled) {}
  ~ProgressBar() { Clear(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Update(std::uint64_t done);
  void Clear();

 private:
  std::FILE* stream_;
  std::uint64_t total_;
  bool enabled_;
  int shownPercent_ = -1;
};

}  // namespace varomby::cli
