#include "app/application.h"

#include "ui/event_table.h"
#include "ui/file_selection.h"

namespace varomby::app {

Application::Application(std::vector<AnsiText> paths, SkinHooks skin) : skin_(std::move(skin)) {
  if (skin_.loadSkinLibrary) skin_.loadSkinLibrary(globals_);

  window_ = std::make_unique<qt::MainWindow>();
  qt::MainWindow& window = *window_;
  // The handlers hold the window itself: they may run while it is being
  // destroyed, when window_ no longer points at it.
  window.SetHandlers({
      [this, &window](WindowEvent event) { DispatchWindowEvent(event, window, globals_.peHeaders); },
      [&window](DropTarget target, const AnsiText& text) { DispatchFilesDropped(target, window, text); },
      [this, &window] { MainWindowDestroying(window); },
  });
  MainWindowCreated(window);

  // Two paths on the command line fill the boxes as if they had been dropped.
  if (paths.size() == 2) {
    AcceptDroppedFile(window, Control::PathBox1, paths[0]);
    AcceptDroppedFile(window, Control::PathBox2, paths[1]);
  }
}

Application::~Application() { window_.reset(); }

void Application::Show() {
  window_->CenterOnScreen();
  window_->show();
}

void Application::MainWindowCreated(qt::MainWindow& window) {
  RegisterDropTargets(window);
  if (skin_.attach) skin_.attach(globals_, window);
}

void Application::MainWindowDestroying(qt::MainWindow& window) {
  RevokeDropTargets(window);
  if (skin_.detach) skin_.detach(globals_);
}

}  // namespace varomby::app
