#pragma once
// The Qt side of the skin: restyles the main window from the skin that the
// skin library hands to the host library, and the skin's part of start-up
// and shutdown (the machine, the one MemoryModule, attach and detach).
#include <QFont>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <chrono>
#include <memory>
#include <vector>

#include "app/application.h"
#include "memmodule/memory_module.h"
#include "memmodule/skin/skin_host_library.h"
#include "varskin/skin_blocks.h"

namespace varomby::app {

// Turns a skin into a palette, fonts and a style sheet on one window, and
// puts the window's own look back on remove.
class QtSkinStyler final : public SkinStyler {
 public:
  // The window to restyle; null restyles nothing. Set before attaching.
  void SetWindow(QWidget* window) { window_ = window; }
  bool Skinned() const { return saved_ != nullptr; }

  void ApplySkin(const SkinParameters& skin) override;
  void RemoveSkin() override;

  // The style sheet a skin gives the window (exposed for tests).
  static QString StyleSheetFor(const SkinParameters& skin);
  static QPalette PaletteFor(const SkinParameters& skin, QPalette base);

 private:
  struct SavedLook;
  void SaveLook();
  void ApplyRowHeight(const SkinParameters& skin);

  QPointer<QWidget> window_;
  std::shared_ptr<SavedLook> saved_;
};

// The skin from start-up to exit: the machine and the one MemoryModule that
// holds the built-in skin library, attaching the built-in skin data to a
// window and detaching it. At exit the library stays mapped: no detach
// entry-point call.
class SkinSession {
 public:
  // `libraryImage` must stay valid for the whole run (the built-in block does).
  explicit SkinSession(std::span<const std::uint8_t> libraryImage = SkinLibraryImage());
  SkinSession(const SkinSession&) = delete;
  SkinSession& operator=(const SkinSession&) = delete;
  ~SkinSession();

  // Start-up's part: maps the built-in skin library with no import
  // resolver. A failed load leaves the window unskinned.
  void Load();
  // The created event's part: AttachSkin(SkinData, empty password, 0, 0, 0).
  void Attach(QWidget& window);
  // The will-be-destroyed event's part: DetachSkin().
  void Detach();

  bool Loaded() const;
  bool Skinned() const { return styler_.Skinned(); }
  // How long mapping the library and attaching the skin took.
  std::chrono::microseconds LoadTime() const { return loadTime_; }
  std::chrono::microseconds AttachTime() const { return attachTime_; }

 private:
  std::span<const std::uint8_t> libraryImage_;
  QtSkinStyler styler_;
  SkinHost host_{styler_};
  std::unique_ptr<Machine32> machine_;  // holds the host library's callbacks into host_
  std::unique_ptr<MemoryModule> module_;
  std::chrono::microseconds loadTime_{0};
  std::chrono::microseconds attachTime_{0};
};

// Start-up's and the window events' skin work, bound to `session`.
SkinHooks HooksFor(SkinSession& session);

}  // namespace varomby::app
