#include "compare/run_comparison.h"

#include <string>
#include <utility>

#include "common/file_name_text.h"
#include "common/texts.h"
#include "compare/compared_files.h"
#include "compare/event_pump.h"
#include "compare/result_row.h"

namespace varomby {
namespace {

void ShowError(Ui& ui, const AnsiText& text) { ui.ShowMessage(text, MessageIcon::Error, texts::kTitleError); }

// Appends one list row per run, with each cell set as soon as it is ready.
class ListFiller final : public DiffSink {
 public:
  ListFiller(Ui& ui, const PeHeaderState* peState, EventPump& pump) : ui_(ui), peState_(peState), pump_(pump) {}

  bool OnRun(std::uint64_t offset, std::span<const std::uint8_t> first,
             std::span<const std::uint8_t> second) override {
    const std::int64_t row = ui_.ListAppendRow();
    const CellSetter setCell = [this, row](int column, AnsiText text) { ui_.ListSetCell(row, column, text); };
    return BuildResultRow(offset, first, second, peState_, setCell, [this] { return pump_.Checkpoint(); });
  }

  bool OnProgress(std::uint64_t) override { return pump_.Checkpoint(); }

 private:
  Ui& ui_;
  const PeHeaderState* peState_;
  EventPump& pump_;
};

AnsiText DoneStatusText(std::int64_t rows, std::uint64_t total) {
  return texts::kStatusDonePrefix + std::to_string(rows) + texts::kStatusDoneMiddle + std::to_string(total);
}

}  // namespace

void RunComparison(Ui& ui, PeHeaderState& peState) { RunComparison(ui, peState, ComparisonSettings{}); }

void RunComparison(Ui& ui, PeHeaderState& peState, const ComparisonSettings& settings) {
  const AnsiText path1 = ui.GetText(Control::PathBox1);
  const AnsiText path2 = ui.GetText(Control::PathBox2);
  OpenedFiles opened = OpenComparedFiles(path1, path2, peState);
  switch (opened.problem) {
    case OpenProblem::CannotOpenFirst: return ShowError(ui, texts::kMsgCannotOpen + FileNameText(path1));
    case OpenProblem::CannotOpenSecond: return ShowError(ui, texts::kMsgCannotOpen + FileNameText(path2));
    case OpenProblem::LengthsDiffer: return ShowError(ui, texts::kMsgLengthsDiffer);
    case OpenProblem::None: break;
  }
  ComparedFiles& files = *opened.files;
  files.first.AdviseSequential();
  files.second.AdviseSequential();

  ui.SetEnabled(Control::CompareButton, false);
  ui.ListClear();
  EventPump pump(ui, settings.pumpBudget);
  ListFiller filler(ui, files.bothPe ? &peState : nullptr, pump);
  const DiffSummary summary = CompareSources(files.first, files.second, files.length, filler, settings.blockSize);
  if (pump.Closing()) return;  // the window is going away: no control may be touched

  switch (summary.status) {
    case DiffStatus::Completed: ui.SetStatusPart(1, DoneStatusText(ui.ListRowCount(), summary.differing)); break;
    case DiffStatus::FirstChanged: ShowError(ui, texts::kMsgFileChanged + FileNameText(path1)); break;
    case DiffStatus::SecondChanged: ShowError(ui, texts::kMsgFileChanged + FileNameText(path2)); break;
    case DiffStatus::Stopped: break;
  }
  ui.SetEnabled(Control::CompareButton, true);
}

}  // namespace varomby
