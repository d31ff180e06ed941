// Renders the skinned main window after a comparison of two PE files and a
// click on a row, and saves it as a PNG: skin_screenshot OUTPUT.png
// Run it with QT_QPA_PLATFORM=offscreen or under xvfb-run.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "app/skin_host.h"
#include "ui/event_table.h"
#include "ui/qt/ansi_text_qt.h"
#include "ui/qt/result_list_view.h"
#include "varskin/skin_blocks.h"

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  const bool unskinned = argc == 3 && QString::fromLatin1(argv[2]) == QStringLiteral("--unskinned");
  if (argc != 2 && !unskinned) {
    std::fputs("usage: skin_screenshot OUTPUT.png [--unskinned]\n", stderr);
    return 2;
  }
  QTemporaryDir dir;
  const auto image = varomby::SkinLibraryImage();
  QByteArray original(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
  QByteArray patched = original;
  for (qsizetype at : {0x400, 0x433, 0x434, 0x4A0, 0x512, 0x7F0})
    if (at < patched.size()) patched[at] = static_cast<char>(0x90);
  const QString first = dir.filePath(QStringLiteral("skin-original.dll"));
  const QString second = dir.filePath(QStringLiteral("skin-patched.dll"));
  if (!WriteFile(first, original) || !WriteFile(second, patched)) return 1;

  varomby::app::SkinSession skin;
  varomby::app::Application program(
      {varomby::qt::PathToAnsi(first), varomby::qt::PathToAnsi(second)}, unskinned ? varomby::app::SkinHooks{} : varomby::app::HooksFor(skin));
  auto& window = program.Window();
  program.Show();
  varomby::DispatchWindowEvent(varomby::WindowEvent::CompareClicked, window, program.Globals().peHeaders);
  QApplication::processEvents();  // the list publishes its rows from the event loop
  window.ListView().selectRow(1);
  varomby::DispatchWindowEvent(varomby::WindowEvent::ListLeftClick, window, program.Globals().peHeaders);
  QApplication::processEvents();
  std::printf("skin load %lld us, attach %lld us\n", static_cast<long long>(skin.LoadTime().count()),
              static_cast<long long>(skin.AttachTime().count()));
  return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
