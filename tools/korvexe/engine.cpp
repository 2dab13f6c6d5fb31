#include "korvexe/engine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <new>

#include "core/support/file_io.h"
#include "core/support/paths.h"
#include "core/support/product_info.h"
#include "core/support/progress_channel.h"
#include "korvexe/engine_log.h"
#include "korvexe/engine_options.h"
#include "korvexe/input_layout.h"
#include "korvexe/merge.h"
#include "korvexe/output_file.h"
#include "korvexe/run_control.h"
#include "korvexe/translation.h"

namespace korvex::engine {
namespace {

std::string ArgumentLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& a : args) {
    line += ' ';
    const bool quote = a.empty() || a.find_first_of(" \t") != std::string::npos;
    line += quote ? "\"" + a + "\"" : a;
  }
  return line;
}

void RefuseSameFile(const std::string& output, const std::string& input, const char* what) {
  if (SameFile(output, input))
    throw EngineError("the output " + output + " is the same file as the " + what + " " + input);
}

// Whether the options may leave every element, name and structure as it is read (a text size
// limit changes nothing when no text is larger), so that the output may well be the input.
bool MayWriteInputUnchanged(const EngineOptions& o) {
  const auto keeps_all = [](const std::optional<ListSwitch>& l) {
    return !l || (l->exclude && l->list.find_first_not_of(' ') == std::string::npos);
  };
  const auto maps_none = [](const std::optional<std::string>& m) { return !m || m->empty(); };
  return o.merge == MergeMode::kNone && keeps_all(o.layers) && keeps_all(o.datatypes) && maps_none(o.layer_map) &&
         maps_none(o.datatype_map) && !o.prune && o.names == NameCase::kKeep && !o.unfold && !o.rename_path &&
         !o.explode && !o.polygons.on && o.min_width <= 0 && !IsCompressedName(o.output);
}

// Switches that only a plain translation uses.
void WarnIgnoredInMerge(const EngineOptions& o, EngineLog& log) {
  const bool any = o.layers || o.datatypes || o.prune || o.names != NameCase::kKeep || o.unfold || o.layer_map ||
                   o.datatype_map || o.rename_path || o.explode || o.polygons.on || o.min_width > 0;
  if (any) log.Warning("filter switches do not apply in a merge mode and are ignored");
}

WriteTotals Run(const EngineOptions& o, const std::string& working_directory, const std::string& log_path,
                EngineLog& log, OutputStream& out, ProgressChannel& progress) {
  RefuseSameFile(o.output, o.input, "input");
  if (SameFile(o.output, log_path)) throw EngineError("the output " + o.output + " would overwrite the run's log " + log_path);
  std::vector<std::unique_ptr<InputLayout>> layouts;
  std::vector<std::string> merged;
  if (o.merge != MergeMode::kNone) {
    merged = ReadMergeList(JoinPath(working_directory, kMergeListName));
    for (const std::string& m : merged) {
      RefuseSameFile(o.output, m, "merged file");
      if (SameFile(log_path, m)) throw EngineError("the log " + log_path + " would overwrite the merged file " + m);
    }
    if (merged.empty()) log.Warning(std::string(kMergeListName) + " lists no files to merge");
  }
  // A dry run leaves the output's folder as it is: no temporary file, no clean-up.
  OutputStream* sink = o.dry_run ? nullptr : &out;
  layouts.push_back(std::make_unique<InputLayout>());
  InputLayout& input = *layouts.back();
  OpenLayout(o.input, input, log, progress);
  // A run that may leave everything as it is starts copying the input while it reads it; not
  // where a lost bet could fill the disk that the run's real output would fit on.
  const std::optional<std::uint64_t> free = sink != nullptr ? FreeSpaceFor(o.output) : std::nullopt;
  if (sink != nullptr && MayWriteInputUnchanged(o) && free && *free / 2 > input.size()) {
    sink->Create(o.output);
    sink->PresumeInput(input.file.descriptor(), input.data(), input.size());
  }
  IndexLayout(input, log, progress);
  for (const std::string& m : merged) {
    layouts.push_back(std::make_unique<InputLayout>());
    LoadLayout(m, *layouts.back(), log, progress);
  }
  if (sink != nullptr && sink->temporary_path().empty()) sink->Create(o.output);
  // How large the output grows is known only at its end.
  if (sink != nullptr) {
    progress.Begin("writing", 0);
    sink->SetProgress(&progress);
  }
  WriteTotals totals;
  if (o.merge == MergeMode::kNone) {
    totals = RunTranslation(o, *layouts[0], sink, log);
  } else {
    WarnIgnoredInMerge(o, log);
    std::vector<InputLayout*> files;
    for (auto& l : layouts) files.push_back(l.get());
    totals = RunMerge(o, files, sink, log);
  }
  LogRunSummary(totals, log);
  // A run whose log could not be written has not told what it did: it keeps no output.
  log.Finish();
  if (!log.write_error().empty()) throw EngineError("cannot write the log " + log_path + ": " + log.write_error());
  if (sink != nullptr) {
    sink->Commit();
    progress.Set(sink->bytes());
    progress.End();
  }
  return totals;
}

}  // namespace

std::string LogPathFor(const std::string& input, const std::string& working_directory) {
  return JoinPath(working_directory, ChangeExtension(SplitPathName(input).name, ".log"));
}

EngineRun RunEngine(const std::vector<std::string>& args, const std::string& working_directory,
                    ProgressChannel* progress) {
  ProgressChannel silent;
  const auto start = std::chrono::steady_clock::now();
  EngineRun run;
  if (args.empty() || args[0].empty()) {
    std::fprintf(stderr, "%s: no input file (usage: %s INPUT OUTPUT TOP [switches] [-dryrun])\n", kProgramName,
                 kProgramName);
    return run;
  }
  run.log_path = LogPathFor(args[0], working_directory);
  // The log must never take the place of a file the run reads or an output it must keep.
  for (std::size_t i = 0; i < 2 && i < args.size(); ++i) {
    if (SameFile(run.log_path, args[i])) {
      std::fprintf(stderr, "%s: the log %s would overwrite %s\n", kProgramName, run.log_path.c_str(), args[i].c_str());
      return run;
    }
  }
  EngineLog log;
  std::string error;
  bool busy = false;
  if (!log.Open(run.log_path, error, busy)) {
    std::fprintf(stderr, "%s: cannot write the log %s: %s\n", kProgramName, run.log_path.c_str(), error.c_str());
    return run;
  }
  // Scripts read the one reason of a failed run here, the log holds the rest.
  const auto fail = [&](const std::string& text) {
    log.Error(text);
    std::fprintf(stderr, "%s: error: %s\n", kProgramName, text.c_str());
  };
  log.Line(std::string(kProgramName) + " version " + kProductVersion);
  log.Line("Arguments:" + ArgumentLine(args));
  log.Line("Working directory: " + working_directory);

  const ParsedOptions parsed = ParseEngineArguments(args);
  for (const std::string& note : parsed.notes) log.Line("Note: " + note);
  const bool dry_run = parsed.ok && parsed.options.dry_run;
  if (dry_run) log.Line("Dry run: nothing is written, " + parsed.options.output + " is left as it is");
  bool failed = !parsed.ok;
  if (failed) fail(parsed.error);
  WriteTotals totals;
  if (!failed) {
    OutputStream out;
    try {
      totals = Run(parsed.options, working_directory, run.log_path, log, out, progress ? *progress : silent);
    } catch (const EngineError& e) {
      fail(e.what());
      failed = true;
    } catch (const Cancelled&) {
      out.Discard();
      log.Finish();
      log.Line("Cancelled by user");
      log.Finish();
      run.stop_signal = StopSignal();
      return run;
    } catch (const std::bad_alloc&) {
      fail("out of memory");
      failed = true;
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  log.Finish();
  if (!failed) {
    const char* verb = dry_run ? "that would be written" : "written";
    log.Line(std::string("Structures ").append(verb).append(": ").append(std::to_string(totals.structures)));
    log.Line(std::string("Elements ").append(verb).append(": ").append(std::to_string(totals.elements)));
  } else {
    log.Line("No output written");
  }
  log.Line("Warnings and errors: " + std::to_string(log.problems()));
  char time[64];
  std::snprintf(time, sizeof time, "Run time: %.2f s", seconds);
  log.Line(time);
  log.Finish();
  log.Close();
  if (!log.write_error().empty() && !failed) {
    std::fprintf(stderr, "%s: cannot write the log %s: %s\n", kProgramName, run.log_path.c_str(),
                 log.write_error().c_str());
    failed = true;
  }
  run.exit_code = failed ? kExitFailure : static_cast<int>(std::min<std::uint64_t>(log.problems(), kMaxCountedExit));
  return run;
}

}  // namespace korvex::engine
