#pragma once
// Start-up and exit of the program: the global state, the skin's start-up,
// the main window with its event table, and the two window events.
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "app/app_globals.h"
#include "common/types.h"
#include "ui/qt/main_window.h"

namespace varomby::app {

// What start-up and the two window events do about the skin. The skin code
// fills these in; an empty entry does nothing.
struct SkinHooks {
  std::function<void(AppGlobals&)> loadSkinLibrary;         // start-up, before the window exists
  std::function<void(AppGlobals&, qt::MainWindow&)> attach;  // window created, after the drop targets
  std::function<void(AppGlobals&)> detach;                   // window destroying, after the drop targets
};

class Application {
 public:
  // `paths`: none, or the two files to put into the path boxes.
  explicit Application(std::vector<AnsiText> paths = {}, SkinHooks skin = {});
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  qt::MainWindow& Window() { return *window_; }
  AppGlobals& Globals() { return globals_; }

  // Shows the window centred on its screen.
  void Show();

 private:
  void MainWindowCreated(qt::MainWindow& window);
  void MainWindowDestroying(qt::MainWindow& window);

  AppGlobals globals_;
  SkinHooks skin_;
  std::unique_ptr<qt::MainWindow> window_;
};

}  // namespace varomby::app
