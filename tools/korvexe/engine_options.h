// What the front end asks of the engine: its argument list, read into plain values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvex::engine {

enum class MergeMode { kNone, kMerge, kAdd, kBlend };

enum class NameCase { kKeep, kFix, kLower, kUpper };

// A list switch (-i, -x, -I, -X): the text after the switch and whether it excludes.
struct ListSwitch {
  bool exclude = false;
  std::string list;
};

struct PolygonLimits {
  double min_extent = 0;  // user units; 0: no limit (the same for every limit below)
  double max_extent = 0;
  double height_to_width = 0;
  double width_to_height = 0;
  double area_ratio = 0;
  long max_vertices = 0;
  long debug_offset = 0;    // log the verdict for the boundary at this input byte offset
  long debug_vertices = 0;  // log the verdict for boundaries with this many vertices
  bool on = false;          // any polygon filtering switch was given
};

struct EngineOptions {
  std::string input;
  std::string output;
  std::string top;  // as given (may hold %XX); empty: every structure

  MergeMode merge = MergeMode::kNone;
  bool combine = false;
  std::string combine_name;
  int combine_markers = 0;  // the "=" that follow, one per merged file

  std::optional<ListSwitch> layers;
  std::optional<ListSwitch> datatypes;
  bool prune = false;
  NameCase names = NameCase::kKeep;
  bool unfold = false;
  std::optional<std::string> layer_map;
  std::optional<std::string> datatype_map;
  std::optional<std::string> rename_path;
  bool explode = false;
  PolygonLimits polygons;
  double min_width = 0;                   // user units; 0: no minimum
  std::optional<double> max_text_mag;     // texts magnified above it are dropped
  bool dry_run = false;                   // every pass runs, nothing is written
};

struct ParsedOptions {
  bool ok = false;
  EngineOptions options;
  std::string error;                  // why the arguments were refused
  std::vector<std::string> notes;     // arguments taken in a forgiving way, for the log
};

// argv without the program name: INPUT OUTPUT TOP, then the switches.
ParsedOptions ParseEngineArguments(const std::vector<std::string>& args);

}  // namespace korvex::engine
