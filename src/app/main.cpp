// varomby: the desktop program. `varomby` opens the window with empty path
// boxes; `varomby FILE1 FILE2` opens it with both boxes filled.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/application.h"
#include "app/skin_host.h"

namespace {

constexpr const char* kUsage = "usage: varomby [FILE1 FILE2]\n";

}  // namespace

int main(int argc, char** argv) {
  // Help needs no display, so it comes before Qt starts.
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  QApplication qtApp(argc, argv);  // takes Qt's own options out of argv
  if (argc != 1 && argc != 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::vector<varomby::AnsiText> paths;
  for (int i = 1; i < argc; ++i) paths.emplace_back(argv[i]);  // file-name bytes as given

  // The skin session (the one MemoryModule with the skin library) outlives
  // the window; the library is loaded before the window is created.
  varomby::app::SkinSession skin;
  varomby::app::Application program(std::move(paths), varomby::app::HooksFor(skin));
  qtApp.setQuitOnLastWindowClosed(false);
  QObject::connect(&program.Window(), &varomby::qt::MainWindow::closed, &qtApp, &QApplication::quit);
  program.Show();
  qtApp.exec();
  return 0;
}
