#include "korvexe/engine_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace korvex::engine {
namespace {

bool ReadReal(std::string_view text, double& value) {
  const std::string s(text);
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(s.c_str(), &end);
  return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool ReadLong(std::string_view text, long& value) {
  const std::string s(text);
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(s.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

bool IsListWord(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || c == ',' || c == '-')) return false;
  return true;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  ParsedOptions Run() {
    if (args_.size() < 3) return Fail("expected INPUT OUTPUT TOP before the switches");
    o_.input = args_[0];
    o_.output = args_[1];
    o_.top = args_[2];
    if (o_.input.empty()) return Fail("empty input file name");
    if (o_.output.empty()) return Fail("empty output file name");
    for (i_ = 3; i_ < args_.size(); ++i_) {
      if (!Switch(args_[i_])) return result_;
      previous_list_ = last_list_;
    }
    result_.ok = true;
    result_.options = o_;
    return result_;
  }

 private:
  ParsedOptions Fail(std::string message) {
    result_.ok = false;
    result_.error = std::move(message);
    return result_;
  }
  bool Refuse(std::string message) {
    Fail(std::move(message));
    return false;
  }

  bool Real(std::string_view a, std::string_view name, double& value, bool nonnegative) {
    if (!ReadReal(a.substr(name.size()), value)) return Refuse("bad number in " + std::string(a));
    if (nonnegative && value < 0) return Refuse("negative value in " + std::string(a));
    return true;
  }
  bool Long(std::string_view a, std::string_view name, long& value) {
    if (!ReadLong(a.substr(name.size()), value)) return Refuse("bad whole number in " + std::string(a));
    return true;
  }

  bool Switch(std::string_view a) {
    last_list_ = nullptr;
    if (a == "-merge") return Mode(MergeMode::kMerge, a);
    if (a == "-add") return Mode(MergeMode::kAdd, a);
    if (a == "-blend") return Mode(MergeMode::kBlend, a);
    if (a == "-prune") return Flag(o_.prune);
    if (a == "-unfold") return Flag(o_.unfold);
    if (a == "-explode") return Flag(o_.explode);
    if (a == "-dryrun") return Flag(o_.dry_run);
    if (a == "-lc") return Names(NameCase::kLower);
    if (a == "-uc") return Names(NameCase::kUpper);
    if (a == "-names") return Names(NameCase::kFix);
    if (a == "-combine") return Combine();
    if (a == "-rename") {
      if (i_ + 1 >= args_.size() || args_[i_ + 1].empty()) return Refuse("-rename without a file name");
      o_.rename_path = args_[++i_];
      return true;
    }
    if (a.starts_with("-minext:")) return Polygon(Real(a, "-minext:", o_.polygons.min_extent, true));
    if (a.starts_with("-maxext:")) return Polygon(Real(a, "-maxext:", o_.polygons.max_extent, true));
    if (a.starts_with("-h2w:")) return Polygon(Real(a, "-h2w:", o_.polygons.height_to_width, true));
    if (a.starts_with("-w2h:")) return Polygon(Real(a, "-w2h:", o_.polygons.width_to_height, true));
    if (a.starts_with("-aratio:")) return Polygon(Real(a, "-aratio:", o_.polygons.area_ratio, true));
    if (a.starts_with("-maxvert:")) return Polygon(Long(a, "-maxvert:", o_.polygons.max_vertices));
    if (a.starts_with("-polyoff:")) return Polygon(Long(a, "-polyoff:", o_.polygons.debug_offset));
    if (a.starts_with("-vertcnt:")) return Polygon(Long(a, "-vertcnt:", o_.polygons.debug_vertices));
    if (a.starts_with("-min:")) return Real(a, "-min:", o_.min_width, true);
    if (a.starts_with("-tmag:")) {
      double t = 0;
      if (!Real(a, "-tmag:", t, true)) return false;
      o_.max_text_mag = t;
      return true;
    }
    if (a.starts_with("-lyr")) return Map(o_.layer_map, a.substr(4));
    if (a.starts_with("-dtp")) return Map(o_.datatype_map, a.substr(4));
    if (a.size() >= 2 && a[0] == '-' && (a[1] == 'i' || a[1] == 'x' || a[1] == 'I' || a[1] == 'X')) {
      std::optional<ListSwitch>& target = (a[1] == 'i' || a[1] == 'x') ? o_.layers : o_.datatypes;
      target = ListSwitch{a[1] == 'x' || a[1] == 'X', std::string(a.substr(2))};
      last_list_ = &*target;
      return true;
    }
    return Stray(a);
  }

  // A list typed with blanks ("1, 2") reaches us split; its pieces belong to the list switch.
  bool Stray(std::string_view a) {
    if (previous_list_ != nullptr && IsListWord(a)) {
      previous_list_->list += a;
      result_.notes.push_back("joined '" + std::string(a) + "' to the list before it");
      last_list_ = previous_list_;
      previous_list_ = nullptr;
      return true;
    }
    if (!a.empty() && a[0] == '-') return Refuse("unknown switch " + std::string(a));
    return Refuse("unexpected argument '" + std::string(a) + "'");
  }

  bool Mode(MergeMode mode, std::string_view a) {
    if (o_.merge != MergeMode::kNone && o_.merge != mode) return Refuse("more than one merge mode (" + std::string(a) + ")");
    o_.merge = mode;
    return true;
  }
  bool Flag(bool& flag) {
    flag = true;
    return true;
  }
  bool Names(NameCase c) {
    if (o_.names != NameCase::kKeep && o_.names != c) return Refuse("more than one of -lc, -uc and -names");
    o_.names = c;
    return true;
  }
  bool Polygon(bool ok) {
    o_.polygons.on = true;
    return ok;
  }
  bool Map(std::optional<std::string>& target, std::string_view text) {
    target = std::string(text);
    return true;
  }

  // -combine NAME = = ...: a name with blanks arrives as several words; they are joined again.
  bool Combine() {
    o_.combine = true;
    std::string name;
    std::size_t j = i_ + 1;
    for (; j < args_.size() && args_[j] != "=" && !(args_[j].size() > 1 && args_[j][0] == '-'); ++j) {
      if (!name.empty()) name += ' ';
      name += args_[j];
    }
    if (name.empty()) return Refuse("-combine without a structure name");
    o_.combine_name = name;
    for (; j < args_.size() && args_[j] == "="; ++j) ++o_.combine_markers;
    i_ = j - 1;
    return true;
  }

  const std::vector<std::string>& args_;
  std::size_t i_ = 0;
  EngineOptions o_;
  ParsedOptions result_;
  ListSwitch* last_list_ = nullptr;
  ListSwitch* previous_list_ = nullptr;
};

}  // namespace

ParsedOptions ParseEngineArguments(const std::vector<std::string>& args) { return Parser(args).Run(); }

}  // namespace korvex::engine
