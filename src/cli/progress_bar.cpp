#include "cli/progress_bar.h"

namespace varomby::cli {
namespace {

constexpr int kBarWidth = 40;

}  // namespace

void ProgressBar::Update(std::uint64_t done) {
  if (!enabled_ || total_ == 0) return;
  const int percent = static_cast<int>(done >= total_ ? 100 : done * 100 / total_);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  char bar[kBarWidth + 1];
  const int filled = percent * kBarWidth / 100;
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kBarWidth] = '\0';
  std::fprintf(stream_, "\r[%s] %3d%%", bar, percent);
  std::fflush(stream_);
}

void ProgressBar::Clear() {
  if (!enabled_ || shownPercent_ < 0) return;
  std::fprintf(stream_, "\r%*s\r", kBarWidth + 8, "");
  std::fflush(stream_);
  shownPercent_ = -1;
}

}  // namespace varomby::cli
