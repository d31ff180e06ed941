#include "cli/compare_command.h"

#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "cli/json_writer.h"
#include "cli/progress_bar.h"
#include "cli/row_fields.h"
#include "cli/staged_output.h"
#include "compare/compared_files.h"
#include "compare/diff_engine.h"
#include "export/row_texts.h"
#include "pe/pe_header_state.h"

#ifndef VAROMBY_VERSION
#define VAROMBY_VERSION "unknown"
#endif

namespace varomby::cli {
namespace {

constexpr std::uint64_t kProgressThreshold = 64ull * 1024 * 1024;

struct Options {
  bool json = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
  std::vector<const RowFieldExtension*> extensions;
  std::vector<std::string> paths;
};

const RowFieldExtension* FindExtension(std::string_view flag) {
  for (const RowFieldExtension& extension : RowFieldExtensions()) {
    if (extension.flag == flag) return &extension;
  }
  return nullptr;
}

// Applies one option; false when it is unknown.
bool ApplyOption(std::string_view arg, Options& options) {
  if (arg == "--json") {
    options.json = true;
  } else if (arg == "-s" || arg == "--quiet") {
    options.quiet = true;
  } else if (arg == "-h" || arg == "--help") {
    options.help = true;
  } else if (arg == "--version") {
    options.version = true;
  } else if (const RowFieldExtension* extension = FindExtension(arg)) {
    options.extensions.push_back(extension);
  } else {
    return false;
  }
  return true;
}

// The options, or nothing after a message on `err`.
std::optional<Options> ParseOptions(std::span<const std::string_view> args, std::FILE* err) {
  Options options;
  bool onlyPaths = false;
  for (const std::string_view arg : args) {
    if (!onlyPaths && arg == "--") {
      onlyPaths = true;
    } else if (!onlyPaths && arg.size() > 1 && arg.front() == '-') {
      if (!ApplyOption(arg, options)) {
        std::fprintf(err, "varomby-cli: unknown option '%.*s' (try --help)\n", static_cast<int>(arg.size()), arg.data());
        return std::nullopt;
      }
    } else {
      options.paths.emplace_back(arg);
    }
  }
  if (!options.help && !options.version && options.paths.size() != 2) {
    std::fprintf(err, "varomby-cli: expected two files to compare (try --help)\n");
    return std::nullopt;
  }
  return options;
}

// Writes each run as the window's row would read in the log or as JSON.
class RowPrinter final : public DiffSink {
 public:
  RowPrinter(const Options& options, const PeHeaderState* peState, StagedOutput& out, ProgressBar& progress)
      : options_(options), peState_(peState), out_(out), progress_(progress), json_(decoder_) {}

  bool OnRun(std::uint64_t offset, std::span<const std::uint8_t> first,
             std::span<const std::uint8_t> second) override {
    if (options_.quiet) return false;  // one difference settles the exit status
    const RowCells cells = ResultRowCells(offset, first, second, peState_);
    if (options_.json) {
      WriteJson({offset, first, second, cells, peState_});
    } else {
      line_.clear();
      AppendLogLine(cells, line_);
      out_.Write(line_.data(), line_.size());
    }
    return true;
  }

  bool OnProgress(std::uint64_t done) override {
    progress_.Update(done);
    return true;
  }

 private:
  void WriteJson(const RowContext& row) {
    json_.Begin();
    json_.Number("offset", row.offset);
    json_.Number("length", row.first.size());
    json_.AnsiString("position", row.cells[0]);
    json_.AnsiString("address", row.cells[1]);
    json_.AnsiString("hex1", row.cells[2]);
    json_.AnsiString("hex2", row.cells[3]);
    json_.AnsiString("text1", row.cells[4]);
    json_.AnsiString("text2", row.cells[5]);
    for (const RowFieldExtension* extension : options_.extensions) extension->appendFields(row, json_);
    const std::string& line = json_.End();
    out_.Write(line.data(), line.size());
  }

  const Options& options_;
  const PeHeaderState* peState_;
  StagedOutput& out_;
  ProgressBar& progress_;
  Cp936Decoder decoder_;
  JsonLineWriter json_;
  std::string line_;
};

int Trouble(std::FILE* err, const char* what, const std::string& path = {}) {
  std::fprintf(err, "varomby-cli: %s%s\n", what, path.c_str());
  return kExitTrouble;
}

int Compare(const Options& options, std::FILE* out, std::FILE* err) {
  const std::string& path1 = options.paths[0];
  const std::string& path2 = options.paths[1];
  PeHeaderState peState;
  OpenedFiles opened = OpenComparedFiles(path1, path2, peState);
  switch (opened.problem) {
    case OpenProblem::CannotOpenFirst: return Trouble(err, "cannot open file: ", path1);
    case OpenProblem::CannotOpenSecond: return Trouble(err, "cannot open file: ", path2);
    case OpenProblem::LengthsDiffer: return Trouble(err, "the files differ in length");
    case OpenProblem::None: break;
  }
  ComparedFiles& files = *opened.files;
  files.first.AdviseSequential();
  files.second.AdviseSequential();

  const bool showProgress = !options.quiet && files.length > kProgressThreshold && ::isatty(::fileno(err)) == 1;
  ProgressBar progress(err, files.length, showProgress);
  StagedOutput staged(out);
  RowPrinter printer(options, files.bothPe ? &peState : nullptr, staged, progress);
  const DiffSummary summary = CompareSources(files.first, files.second, files.length, printer);
  progress.Clear();

  switch (summary.status) {
    case DiffStatus::FirstChanged: return Trouble(err, "file changed or unreadable while compared: ", path1);
    case DiffStatus::SecondChanged: return Trouble(err, "file changed or unreadable while compared: ", path2);
    case DiffStatus::Stopped:
    case DiffStatus::Completed: break;
  }
  if (!staged.Commit() || std::fflush(out) != 0) return Trouble(err, "cannot write the output");
  return summary.runs == 0 ? kExitIdentical : kExitDiffer;
}

}  // namespace

void PrintUsage(std::FILE* stream) {
  std::fprintf(stream,
               "Usage: varomby-cli [options] FILE1 FILE2\n"
               "Compares two files of equal length and lists every run of differing bytes,\n"
               "one line per run, exactly as the window's log file holds them.\n"
               "\n"
               "Options:\n"
               "  --json        one JSON object per run (offset, length, position, address,\n"
               "                hex1, hex2, text1, text2)\n"
               "  -s, --quiet   print nothing; only the exit status tells the result\n"
               "  -h, --help    show this help\n"
               "  --version     show the version\n");
  for (const RowFieldExtension& extension : RowFieldExtensions()) {
    std::fprintf(stream, "  %-13.*s %.*s\n", static_cast<int>(extension.flag.size()), extension.flag.data(),
                 static_cast<int>(extension.help.size()), extension.help.data());
  }
  std::fprintf(stream,
               "\n"
               "Exit status: 0 identical, 1 different, 2 trouble (a file cannot be opened\n"
               "or read, the lengths differ, a file changes while it is compared).\n"
               "\n"
               "       varomby-cli call DLL EXPORT [ARG ...]\n"
               "Loads a 32-bit DLL in memory, calls EXPORT (a name or a decimal ordinal)\n"
               "with up to ten 32-bit arguments (decimal or 0x hex) and prints EAX.\n");
}

int RunCompareCommand(std::span<const std::string_view> args, std::FILE* out, std::FILE* err) {
  const std::optional<Options> options = ParseOptions(args, err);
  if (!options) return kExitTrouble;
  if (options->help) {
    PrintUsage(out);
    return kExitIdentical;
  }
  if (options->version) {
    std::fprintf(out, "varomby-cli %s\n", VAROMBY_VERSION);
    return kExitIdentical;
  }
  return Compare(*options, out, err);
}

}  // namespace varomby::cli
