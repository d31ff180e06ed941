#pragma once
// An in-memory implementation of the UI operations for tests. It records
// messages, dialog runs and clipboard texts, and lets a test run code at
// every ProcessPendingEvents call (to play a click arriving mid-run).
#include <functional>
#include <map>
#include <vector>

#include "ui/ui.h"

namespace varomby::testing {

struct ShownMessage {
  AnsiText text;
  MessageIcon icon;
  AnsiText title;
};

class FakeUi : public Ui {
 public:
  static constexpr int kColumns = 6;

  AnsiText GetText(Control box) const override {
    auto it = texts_.find(box);
    return it == texts_.end() ? AnsiText{} : it->second;
  }
  void SetText(Control box, const AnsiText& text) override { texts_[box] = text; }
  void SetEnabled(Control control, bool enabled) override { enabled_[control] = enabled; }
  bool IsEnabled(Control control) const {
    auto it = enabled_.find(control);
    return it == enabled_.end() || it->second;
  }

  void ListClear() override {
    rows_.clear();
    currentRow_ = -1;
  }
  std::int64_t ListAppendRow() override {
    rows_.emplace_back(kColumns);
    return static_cast<std::int64_t>(rows_.size()) - 1;
  }
  void ListSetCell(std::int64_t row, int column, const AnsiText& text) override {
    if (row < 0 || row >= ListRowCount() || column < 0 || column >= kColumns) return;
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
  }
  AnsiText ListGetCell(std::int64_t row, int column) const override {
    if (row < 0 || row >= ListRowCount() || column < 0 || column >= kColumns) return {};
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  std::int64_t ListRowCount() const override { return static_cast<std::int64_t>(rows_.size()); }
  int ListColumnCount() const override { return kColumns; }
  std::int64_t ListCurrentRow() const override { return currentRow_; }
  void Select(std::int64_t row) { currentRow_ = row; }

  void SetStatusPart(int part, const AnsiText& text) override {
    if (part >= 0 && part <= 2) status_[static_cast<std::size_t>(part)] = text;
  }
  const AnsiText& StatusPart(int part) const { return status_.at(static_cast<std::size_t>(part)); }

  void ShowMessage(const AnsiText& text, MessageIcon icon, const AnsiText& title) override {
    messages.push_back({text, icon, title.empty() ? AnsiText("\xD0\xC5\xCF\xA2\xA3\xBA") : title});
  }

  FileDialogState& FileDialog() override { return dialog_; }
  // The next dialog run confirms `path`, or cancels when it is empty.
  void AnswerDialogWith(const AnsiText& path) { dialogAnswer_ = path; }
  bool RunFileDialog() override {
    ++dialogRuns;
    if (dialogAnswer_.empty()) return false;
    dialog_.fileName = dialogAnswer_;
    return true;
  }

  void SetClipboardText(const AnsiText& text) override { clipboard = text; }

  void ProcessPendingEvents() override {
    ++pumps;
    if (onPump && !inPump_) {
      inPump_ = true;
      onPump();
      inPump_ = false;
    }
  }
  bool IsClosing() const override { return closing; }

  std::vector<ShownMessage> messages;
  AnsiText clipboard;
  int dialogRuns = 0;
  long pumps = 0;
  bool closing = false;
  std::function<void()> onPump;  // runs inside ProcessPendingEvents

 private:
  std::map<Control, AnsiText> texts_;
  std::map<Control, bool> enabled_;
  std::vector<std::vector<AnsiText>> rows_;
  std::int64_t currentRow_ = -1;
  std::vector<AnsiText> status_{"\xCC\xE1\xCA\xBE\xA3\xBA", "", "\xD7\xF7\xD5\xDF\xA3\xBAQuelwin"};
  FileDialogState dialog_;
  AnsiText dialogAnswer_;
  bool inPump_ = false;
};

}  // namespace varomby::testing
