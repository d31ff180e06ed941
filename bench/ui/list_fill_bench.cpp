// Fills the window's list with 1,000,000 rows through a real comparison
// while a timer probe records the longest gap between processed events,
// then scrolls through the whole list. Run with QT_QPA_PLATFORM=offscreen.
//   varomby_ui_bench [ROWS]
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/application.h"
#include "ui/qt/result_list_view.h"

namespace {

// Two files whose every other byte differs: one row per differing byte.
std::pair<std::string, std::string> WriteInputs(std::size_t rows) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  const std::string first = (folder / "varomby-ui-bench-1.bin").string();
  const std::string second = (folder / "varomby-ui-bench-2.bin").string();
  std::string bytes(rows * 2, 'a');
  std::ofstream(first, std::ios::binary) << bytes;
  for (std::size_t i = 0; i < rows; ++i) bytes[i * 2] = 'b';
  std::ofstream(second, std::ios::binary) << bytes;
  return {first, second};
}

// Records the longest time between two runs of an event-loop timer.
class StallProbe {
 public:
  StallProbe() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 gap = clock_.nsecsElapsed();
      clock_.restart();
      if (gap > longestNs_) longestNs_ = gap;
    });
  }
  void Start() {
    longestNs_ = 0;
    clock_.start();
    timer_.start(1);
  }
  double Stop() {
    timer_.stop();
    return static_cast<double>(longestNs_) / 1e6;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longestNs_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const auto [first, second] = WriteInputs(rows);

  varomby::app::Application program({first, second});
  varomby::qt::MainWindow& window = program.Window();
  window.SetMessagePresenter([](const varomby::qt::MessageRequest&) {});
  program.Show();
  QApplication::processEvents();

  StallProbe probe;
  probe.Start();
  QElapsedTimer fill;
  fill.start();
  // The probe starts ticking once the loop runs; the click comes from it too.
  QTimer::singleShot(0, [&] { window.findChild<QPushButton*>(QStringLiteral("按钮_对比"))->click(); });
  while (window.ListRowCount() < static_cast<std::int64_t>(rows) ||
         !window.findChild<QPushButton*>(QStringLiteral("按钮_对比"))->isEnabled()) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  const double fillMs = static_cast<double>(fill.nsecsElapsed()) / 1e6;
  const double fillStallMs = probe.Stop();

  // Scroll from top to bottom in 2,000 steps, drawing each position.
  QScrollBar* bar = window.ListView().verticalScrollBar();
  constexpr int kSteps = 2000;
  probe.Start();
  QElapsedTimer scroll;
  scroll.start();
  for (int step = 0; step <= kSteps; ++step) {
    bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * step / kSteps));
    window.ListView().viewport()->repaint();
    QApplication::processEvents();
  }
  const double scrollMs = static_cast<double>(scroll.nsecsElapsed()) / 1e6;
  const double scrollStallMs = probe.Stop();

  std::printf("rows listed:             %lld\n", static_cast<long long>(window.ListRowCount()));
  std::printf("fill time:               %.0f ms\n", fillMs);
  std::printf("longest stall (fill):    %.1f ms  (goal <= 100 ms)\n", fillStallMs);
  std::printf("scroll, %d positions:  %.0f ms (%.2f ms each)\n", kSteps, scrollMs, scrollMs / kSteps);
  std::printf("longest stall (scroll):  %.1f ms\n", scrollStallMs);
  std::filesystem::remove(first);
  std::filesystem::remove(second);
  return fillStallMs <= 100.0 ? 0 : 1;
}
