#include "tools/korvexe/engine_fixture.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/support/argument_text.h"
#include "gds/mapped_file.h"
#include "gds/record_writer.h"
#include "gds/stream_reader.h"
#include "gds/stream_writer.h"
#include "gdsgen/generator.h"
#include "korvexe/engine.h"

namespace korvex::enginetest {

TempDir::TempDir() {
  char pattern[] = "/tmp/korvexe_test_XXXXXX";
  const char* made = mkdtemp(pattern);
  path_ = made ? made : "/tmp";
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (path_ != "/tmp") std::filesystem::remove_all(path_, ignored);
}

const Structure* Library::Find(const std::string& name) const {
  for (const Structure& s : structures)
    if (s.header.name == name) return &s;
  return nullptr;
}

std::vector<std::string> Library::Names() const {
  std::vector<std::string> names;
  for (const Structure& s : structures) names.push_back(s.header.name);
  return names;
}

Library ReadLibrary(const std::string& path) {
  Library lib;
  gds::MappedFile file;
  if (!file.Open(path)) {
    lib.error = "cannot open " + path + ": " + file.error();
    return lib;
  }
  gds::Diagnostics diagnostics;
  gds::StreamReader reader(file.data(), file.size(), diagnostics);
  if (!reader.ReadLibraryHeader(lib.header)) {
    lib.error = "bad header";
    return lib;
  }
  while (reader.NextStructure()) {
    Structure s;
    gds::Element e;
    while (reader.NextElement(e)) s.elements.push_back(e);
    s.header = reader.structure();
    lib.structures.push_back(std::move(s));
  }
  if (diagnostics.failed()) lib.error = diagnostics.fatal()->Text();
  else if (!reader.saw_endlib()) lib.error = "no ENDLIB";
  else if (diagnostics.warning_count() > 0) lib.error = "warning: " + diagnostics.issues().front().Text();
  return lib;
}

void WriteLibrary(const std::string& path, const Library& library) {
  gds::FileSink sink;
  sink.Open(path);
  {
    gds::RecordWriter out(sink);
    gds::WriteLibraryHeader(out, library.header);
    for (const Structure& s : library.structures) {
      gds::WriteStructureBegin(out, s.header);
      for (const gds::Element& e : s.elements) gds::WriteElement(out, e);
      gds::WriteStructureEnd(out, s.header);
    }
    gds::WriteLibraryEnd(out);
  }
  sink.Close();
}

std::string GenerateFile(const TempDir& dir, const std::string& name, std::uint64_t seed, std::uint64_t size,
                         bool exotic) {
  const std::string path = dir.File(name);
  gdsgen::GeneratorOptions options;
  options.seed = seed;
  options.size = size;
  options.exotic = exotic;
  gds::FileSink sink;
  sink.Open(path);
  gdsgen::GeneratorStats stats;
  std::string error;
  gdsgen::GenerateLayout(options, sink, stats, error);
  sink.Close();
  return path;
}

gds::Element Rect(int layer, int datatype, int x0, int y0, int x1, int y1) {
  gds::Element e;
  e.kind = gds::ElementKind::kBoundary;
  e.layer = static_cast<std::uint16_t>(layer);
  e.datatype = static_cast<std::uint16_t>(datatype);
  e.xy = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}};
  return e;
}

gds::Element PathOf(int layer, int datatype, int width, int type, std::vector<gds::Point> points) {
  gds::Element e;
  e.kind = gds::ElementKind::kPath;
  e.layer = static_cast<std::uint16_t>(layer);
  e.datatype = static_cast<std::uint16_t>(datatype);
  e.width = width;
  e.pathtype = static_cast<std::int16_t>(type);
  e.xy = std::move(points);
  return e;
}

gds::Element TextOf(int layer, int type, const std::string& text, double mag) {
  gds::Element e;
  e.kind = gds::ElementKind::kText;
  e.layer = static_cast<std::uint16_t>(layer);
  e.datatype = static_cast<std::uint16_t>(type);
  e.has_string = true;
  e.string = text;
  e.xy = {{0, 0}};
  if (mag != 1.0) {
    e.strans = 0;
    e.mag = gds::Real8::FromDouble(mag);
  }
  return e;
}

gds::Element Ref(const std::string& name, int x, int y, double angle, bool reflect, double mag) {
  gds::Element e;
  e.kind = gds::ElementKind::kSRef;
  e.has_sname = true;
  e.sname = name;
  e.xy = {{x, y}};
  if (angle != 0 || reflect || mag != 1) {
    e.strans = reflect ? 0x8000 : 0;
    if (angle != 0) e.angle = gds::Real8::FromDouble(angle);
    if (mag != 1) e.mag = gds::Real8::FromDouble(mag);
  }
  return e;
}

gds::Element ArrayRef(const std::string& name, int columns, int rows, gds::Point origin, gds::Point col_end,
                      gds::Point row_end) {
  gds::Element e;
  e.kind = gds::ElementKind::kARef;
  e.has_sname = true;
  e.sname = name;
  e.colrow = std::array<std::uint16_t, 2>{static_cast<std::uint16_t>(columns), static_cast<std::uint16_t>(rows)};
  e.xy = {origin, col_end, row_end};
  return e;
}

Structure Cell(const std::string& name, std::vector<gds::Element> elements) {
  Structure s;
  s.header.name = name;
  s.header.dates = {2024, 1, 2, 3, 4, 5, 2024, 1, 2, 3, 4, 5};
  s.elements = std::move(elements);
  return s;
}

Library LibraryOf(std::vector<Structure> structures, double user_unit, double metre_unit) {
  Library lib;
  lib.header.name = "TESTLIB";
  lib.header.dates = {2024, 1, 2, 3, 4, 5, 2024, 1, 2, 3, 4, 5};
  lib.header.user_unit = gds::Real8::FromDouble(user_unit);
  lib.header.metre_unit = gds::Real8::FromDouble(metre_unit);
  lib.structures = std::move(structures);
  return lib;
}

ShapeCounts CountShapes(const Library& library, const std::string* structure) {
  ShapeCounts counts;
  for (const Structure& s : library.structures) {
    if (structure != nullptr && s.header.name != *structure) continue;
    for (const gds::Element& e : s.elements) {
      if (e.kind == gds::ElementKind::kSRef || e.kind == gds::ElementKind::kARef) continue;
      ++counts[{static_cast<int>(e.kind), e.layer.value_or(0), e.datatype.value_or(0)}];
    }
  }
  return counts;
}

EngineResult RunEngineArgs(const std::vector<std::string>& args, const TempDir& dir) {
  const engine::EngineRun run = engine::RunEngine(args, dir.path());
  EngineResult r;
  r.exit_code = run.exit_code;
  r.stop_signal = run.stop_signal;
  r.log = ReadText(run.log_path);
  return r;
}

EngineResult RunEngineText(const std::string& text, const TempDir& dir) {
  return RunEngineArgs(SplitArgumentText(text), dir);
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> FilesWith(const TempDir& dir, const std::string& part) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.find(part) != std::string::npos) found.push_back(name);
  }
  return found;
}

std::optional<std::string> RunKLayout(const std::string& script, const std::map<std::string, std::string>& vars,
                                      const TempDir& dir) {
  if (::access("/usr/bin/klayout", X_OK) != 0) return std::nullopt;
  const std::string script_path = dir.File("check.py");
  WriteText(script_path, script);
  const std::string out_path = dir.File("klayout.out");
  std::vector<std::string> argv = {"/usr/bin/klayout", "-b", "-r", script_path};
  for (const auto& [k, v] : vars) {
    argv.push_back("-rd");
    argv.push_back(k + "=" + v);
  }
  const pid_t pid = fork();
  if (pid == 0) {
    std::FILE* out = std::freopen(out_path.c_str(), "wb", stdout);
    if (out == nullptr) _exit(127);
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::string("KLAYOUT FAILED\n") + ReadText(out_path);
  return ReadText(out_path);
}

std::optional<std::string> KLayoutRefusals(const std::vector<std::string>& files, const TempDir& dir) {
  const std::string script =
      "import pya\nfor fn in files.split(';'):\n  try:\n    pya.Layout().read(fn)\n"
      "  except Exception as e:\n    print('ERR ' + fn + ' ' + str(e))\n";
  std::string list;
  for (const std::string& f : files) list += (list.empty() ? "" : ";") + f;
  return RunKLayout(script, {{"files", list}}, dir);
}

}  // namespace korvex::enginetest
