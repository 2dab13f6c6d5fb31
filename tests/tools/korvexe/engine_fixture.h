// Helpers for the engine tests: generated and hand-made layouts in a temporary folder, the
// engine run on an argument text as the front end builds it, output read back with our own
// reader, and KLayout as an independent reader where it is installed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "gds/element.h"

namespace korvex::enginetest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct Structure {
  gds::StructureHeader header;
  std::vector<gds::Element> elements;
};

struct Library {
  gds::LibraryHeader header;
  std::vector<Structure> structures;
  std::string error;  // empty when the file read cleanly to its ENDLIB

  const Structure* Find(const std::string& name) const;
  std::vector<std::string> Names() const;
};

Library ReadLibrary(const std::string& path);
void WriteLibrary(const std::string& path, const Library& library);

// A generated layout (the project's generator) of about `size` bytes.
std::string GenerateFile(const TempDir& dir, const std::string& name, std::uint64_t seed,
                         std::uint64_t size = 200 * 1024, bool exotic = false);

// Element builders for hand-made layouts.
gds::Element Rect(int layer, int datatype, int x0, int y0, int x1, int y1);
gds::Element PathOf(int layer, int datatype, int width, int type, std::vector<gds::Point> points);
gds::Element TextOf(int layer, int type, const std::string& text, double mag = 1.0);
gds::Element Ref(const std::string& name, int x, int y, double angle = 0, bool reflect = false, double mag = 1);
gds::Element ArrayRef(const std::string& name, int columns, int rows, gds::Point origin, gds::Point col_end,
                      gds::Point row_end);
Structure Cell(const std::string& name, std::vector<gds::Element> elements);
Library LibraryOf(std::vector<Structure> structures, double user_unit = 0.001, double metre_unit = 1e-9);

// Shape elements (not references) keyed by (kind, layer, datatype), over every structure or
// one of them.
using ShapeCounts = std::map<std::tuple<int, int, int>, std::uint64_t>;
ShapeCounts CountShapes(const Library& library, const std::string* structure = nullptr);

struct EngineResult {
  int exit_code = -1;
  int stop_signal = 0;
  std::string log;
};

// Splits `text` the way the launcher does and runs the engine in `dir`.
EngineResult RunEngineText(const std::string& text, const TempDir& dir);
EngineResult RunEngineArgs(const std::vector<std::string>& args, const TempDir& dir);

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
bool Exists(const std::string& path);
// Files in the folder whose names contain `part`.
std::vector<std::string> FilesWith(const TempDir& dir, const std::string& part);

// The output of a KLayout batch script (Python), or nullopt when KLayout is not installed.
// `vars` become global variables of the script.
std::optional<std::string> RunKLayout(const std::string& script, const std::map<std::string, std::string>& vars,
                                      const TempDir& dir);

// What KLayout says of each file it cannot read ("" when all read), in one start; nullopt
// when KLayout is not installed.
std::optional<std::string> KLayoutRefusals(const std::vector<std::string>& files, const TempDir& dir);

}  // namespace korvex::enginetest
