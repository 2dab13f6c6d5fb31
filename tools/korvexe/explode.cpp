#include "korvexe/explode.h"

#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>
#include <unordered_set>
#include <vector>

#include "gds/flat_transform.h"
#include "gds/geometry.h"
#include "gds/hierarchy.h"
#include "gds/path_outline.h"
#include "gds/stream_reader.h"
#include "gds/stream_writer.h"
#include "korvexe/element_check.h"
#include "korvexe/run_control.h"
#include "korvexe/structure_names.h"

namespace korvex::engine {
namespace {

constexpr std::uint16_t kReflect = 0x8000;
constexpr std::uint16_t kAbsoluteMag = 0x0004;
constexpr std::uint16_t kAbsoluteAngle = 0x0002;

std::string Whole(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", v);
  return text;
}

std::string Real(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

// Why `t` cannot place `points`: the first coordinate it sends outside the 32-bit range.
std::string FirstOutside(const gds::FlatTransform& t, const std::vector<gds::Point>& points) {
  for (const gds::Point& p : points) {
    double x, y;
    t.Apply(p.x, p.y, x, y);
    x = std::round(x);
    y = std::round(y);
    if (!(x >= INT32_MIN && x <= INT32_MAX)) return "it would reach x = " + Whole(x);
    if (!(y >= INT32_MIN && y <= INT32_MAX)) return "it would reach y = " + Whole(y);
  }
  return "it would leave the 32-bit range";
}

// Moves the points of `e` (of `structure`) with `t`; `scratch` receives them first, so that
// the error can name the coordinate that does not fit.
void MovePoints(gds::Element& e, const std::string& structure, const gds::FlatTransform& t,
                std::vector<gds::Point>& scratch) {
  scratch.assign(e.xy.begin(), e.xy.end());
  if (gds::TransformPoints(t, scratch)) {
    e.xy.swap(scratch);
    return;
  }
  throw EngineError(ElementPlace(structure, e.offset) + " cannot be flattened: " + FirstOutside(t, e.xy) +
                    ", outside the 32-bit range");
}

std::int32_t Scaled(const gds::Element& e, const std::string& structure, const char* what, std::int32_t v,
                    double mag) {
  const double s = std::round(v * mag);
  if (!(s >= INT32_MIN && s <= INT32_MAX))
    throw EngineError(ElementPlace(structure, e.offset) + " cannot be flattened: its " + what + " " +
                      std::to_string(v) + " magnified by " + Real(mag) + " would be " +
                      Whole(s) + ", outside the 32-bit range");
  return static_cast<std::int32_t>(s);
}

// Places a shape element (already filtered) of `structure` with `t`.
// A BOX is read as the box around its points. Placed at an angle that is not a quarter turn it
// is no longer one, so it is written as the boundary it has become (its BOXTYPE as DATATYPE).
bool BecomesBoundary(const gds::Element& e, const gds::FlatTransform& t) {
  return e.kind == gds::ElementKind::kBox && !gds::IsQuarterTurn(t.angle);
}

// A path placed where it would not keep its outline (at an angle that is not a quarter turn,
// magnified, ...) is written as its outline, traced where the path stands and then placed:
// written from its moved (snapped) centre line and scaled width, its joins and ends would
// move. An outline without area, or too long for one XY record, stays a path.
bool PlaceAsOutline(gds::Element& e, const std::string& structure, const gds::FlatTransform& t,
                    std::vector<gds::Point>& scratch) {
  if (e.kind != gds::ElementKind::kPath || gds::PlacementKeepsOutline(e.xy, t)) return false;
  std::string why;
  switch (gds::PlacedPathOutline(e.xy, gds::PathShapeOf(e), t, scratch, why)) {
    case gds::OutlineFault::kNone:
      break;
    case gds::OutlineFault::kNoArea:
      return false;
    case gds::OutlineFault::kOutOfRange:
      throw EngineError(ElementPlace(structure, e.offset) + " cannot be flattened: " + why);
  }
  if (scratch.size() > gds::kMaxXYPoints) return false;
  gds::BecomeBoundary(e, scratch);
  return true;
}

void Place(gds::Element& e, const std::string& structure, const gds::FlatTransform& t,
           std::vector<gds::Point>& scratch) {
  if (t.identity() || PlaceAsOutline(e, structure, t, scratch)) return;
  MovePoints(e, structure, t, scratch);
  if (BecomesBoundary(e, t)) e.kind = gds::ElementKind::kBoundary;
  if (e.kind == gds::ElementKind::kPath) {
    // A negative (absolute) width is magnified too, as the absolute flags of placements are.
    if (e.width) e.width = Scaled(e, structure, "width", *e.width, t.mag);
    if (e.bgnextn) e.bgnextn = Scaled(e, structure, "start extension", *e.bgnextn, t.mag);
    if (e.endextn) e.endextn = Scaled(e, structure, "end extension", *e.endextn, t.mag);
    return;
  }
  if (e.kind != gds::ElementKind::kText) return;
  const std::uint16_t strans = e.strans.value_or(0);
  const bool reflect = ((strans & kReflect) != 0) != t.reflect;
  double mag = e.magnification(), angle = e.angle_degrees();
  if (!(strans & kAbsoluteMag)) mag *= t.mag;
  if (!(strans & kAbsoluteAngle)) angle = std::fmod(t.angle + (t.reflect ? -angle : angle) + 720.0, 360.0);
  const std::uint16_t new_strans = static_cast<std::uint16_t>((strans & ~kReflect) | (reflect ? kReflect : 0));
  if (e.strans || new_strans != 0) e.strans = new_strans;
  if (e.mag || mag != 1.0) e.mag = gds::Real8::FromDouble(mag);
  if (e.angle || angle != 0.0) e.angle = gds::Real8::FromDouble(angle);
}

gds::Reference ReferenceOf(const gds::Element& e) {
  gds::Reference r;
  r.array = e.kind == gds::ElementKind::kARef;
  r.reflect = e.reflected();
  r.mag = e.magnification();
  r.angle = e.angle_degrees();
  if (!(r.mag > 0) || !std::isfinite(r.mag)) r.mag = 1.0;
  if (!std::isfinite(r.angle)) r.angle = 0.0;
  for (std::size_t i = 0; i < 3 && i < e.xy.size(); ++i) r.points[i] = e.xy[i];
  if (r.array) {
    const int c = e.colrow ? (*e.colrow)[0] : 1, rw = e.colrow ? (*e.colrow)[1] : 1;
    r.columns = static_cast<std::uint16_t>(c <= 0 || c >= 0x8000 ? 1 : c);
    r.rows = static_cast<std::uint16_t>(rw <= 0 || rw >= 0x8000 ? 1 : rw);
  }
  return r;
}

// A structure's elements already read and filtered, with the pair each was read with, and
// the pairs of those the filter dropped: what each placement adds to the pair counts.
struct CachedStructure {
  std::vector<gds::Element> elements;
  std::vector<std::optional<PairKey>> pairs;
  std::vector<PairKey> dropped;
  FilterCounts counts;  // what the shape options did to its elements
};

struct Frame {
  std::uint32_t structure = 0;
  gds::FlatTransform transform;
  std::unique_ptr<gds::StreamReader> reader;
  CachedStructure* cached = nullptr;  // when the structure is cached
  std::size_t next = 0;
  gds::Element* current = nullptr;  // the cached element being placed
  gds::Element element;
  // The reference being expanded: its child and the next instance.
  bool expanding = false;
  std::uint32_t child = 0;
  gds::Reference reference;
  int column = 0;
  int row = 0;
};

}  // namespace

class Exploder {
 public:
  Exploder(const InputLayout& in, const ElementFilter& filter, FilterCounts& counts, EngineLog& log,
           OutputStream* out, PairTally& pairs)
      : in_(in),
        filter_(filter),
        counts_(counts),
        log_(log),
        out_(out),
        pairs_(pairs),
        on_path_(in.names.size(), false),
        cache_(in.names.size()),
        counted_(in.names.size(), false) {}

  ExplodeResult Run(std::uint32_t top, const std::string& name, bool drop_if_empty);
  const FilterCounts& placed() const { return placed_; }

 private:
  void Push(std::uint32_t s, const gds::FlatTransform& t);
  bool NextElement(Frame& f);
  void Cache(std::uint32_t s);
  void Shape(Frame& f);
  void StartReference(Frame& f);
  void BeginTop() {
    if (begun_) return;
    begun_ = true;
    if (out_ != nullptr) gds::WriteStructureBegin(out_->records(), header_);
  }
  void Write(const gds::Element& e) {
    BeginTop();
    if (out_ != nullptr) gds::WriteElement(out_->records(), e);
    ++result_.elements;
  }
  // How far the flat result has come, in bytes written (or, in a dry run, about as many).
  std::uint64_t Progress() const { return out_ != nullptr ? out_->bytes() : result_.elements * kDryElementBytes; }

  const InputLayout& in_;
  const ElementFilter& filter_;
  FilterCounts& counts_;
  EngineLog& log_;
  OutputStream* out_;
  PairTally& pairs_;
  FilterCounts placed_;
  gds::Diagnostics ignored_;  // the index pass has reported them
  std::deque<Frame> stack_;
  std::size_t depth_ = 0;
  std::vector<bool> on_path_;
  std::unordered_set<std::uint32_t> warned_;
  std::unordered_set<std::uint64_t> left_out_;  // offsets of elements that cannot be written
  gds::StructureHeader header_;
  bool begun_ = false;
  ExplodeResult result_;
  std::uint64_t steps_ = 0;
  static constexpr std::uint64_t kReleaseEvery = 512u << 20;
  static constexpr std::uint64_t kDryElementBytes = 64;
  std::uint64_t next_release_ = kReleaseEvery;
  // Structures placed many times are read and filtered once and kept, within a budget;
  // the others are read again from the mapped file at each placement.
  static constexpr std::uint64_t kCacheBudget = 384u << 20;
  std::uint64_t cache_bytes_ = 0;
  std::uint32_t top_ = 0;
  std::vector<std::unique_ptr<CachedStructure>> cache_;
  std::vector<bool> counted_;  // the filter's counts cover each structure once
  std::vector<gds::Point> scratch_;
};

// Frames are kept for reuse: each depth keeps its reader and its element's allocations.
void Exploder::Push(std::uint32_t s, const gds::FlatTransform& t) {
  if (depth_ == stack_.size()) {
    stack_.emplace_back();
    stack_.back().reader = std::make_unique<gds::StreamReader>(in_.data(), in_.size(), ignored_);
  }
  if (s != top_ && !cache_[s] && cache_bytes_ < kCacheBudget) Cache(s);
  Frame& f = stack_[depth_++];
  f.structure = s;
  f.transform = t;
  f.expanding = false;
  f.cached = cache_[s].get();
  f.next = 0;
  if (f.cached != nullptr) {
    for (PairKey p : f.cached->dropped) pairs_.Count(p, false);
    placed_.Add(f.cached->counts);
  } else {
    f.reader->Seek(in_.summary.structures[s].offset);
    f.reader->NextStructure();
  }
  on_path_[s] = true;
  ++result_.placements;
}

void Exploder::Cache(std::uint32_t s) {
  gds::StreamReader reader(in_.data(), in_.size(), ignored_);
  reader.Seek(in_.summary.structures[s].offset);
  if (!reader.NextStructure()) return;
  auto cached = std::make_unique<CachedStructure>();
  FilterCounts& counts = cached->counts;
  gds::Element e;
  std::string note;
  while (reader.NextElement(e)) {
    // Elements that are not valid are left out where they would be placed, and not counted.
    const std::optional<PairKey> pair =
        gds::ElementFault(gds::FactsOf(e)) == nullptr ? PairOf(e) : std::nullopt;
    if (e.kind != gds::ElementKind::kSRef && e.kind != gds::ElementKind::kARef && filter_.touches_elements()) {
      note.clear();
      const Outcome outcome = filter_.Shape(e, in_.names[s], counts, note);
      if (!note.empty()) log_.Warning(note, "shape change");
      if (outcome == Outcome::kDropped) {
        if (pair) cached->dropped.push_back(*pair);
        continue;
      }
    }
    cache_bytes_ += sizeof(gds::Element) + e.xy.size() * sizeof(gds::Point) + e.string.size() + e.sname.size() +
                    e.properties.size() * 64 + sizeof(pair);
    cached->elements.push_back(e);
    cached->pairs.push_back(pair);
  }
  if (!counted_[s]) counts_.Add(counts);
  counted_[s] = true;
  cache_[s] = std::move(cached);
}

// A cached boundary, box or node is placed without copying it: only its points are moved
// into a scratch list for the write (see Shape()); anything else is copied first.
bool Exploder::NextElement(Frame& f) {
  if (f.cached == nullptr) return f.reader->NextElement(f.element);
  if (f.next == f.cached->elements.size()) return false;
  f.current = &f.cached->elements[f.next++];
  const gds::ElementKind k = f.current->kind;
  if (k == gds::ElementKind::kBoundary || k == gds::ElementKind::kBox || k == gds::ElementKind::kNode) return true;
  f.element = *f.current;
  f.current = nullptr;
  return true;
}

ExplodeResult Exploder::Run(std::uint32_t top, const std::string& name, bool drop_if_empty) {
  top_ = top;
  begun_ = false;
  result_ = ExplodeResult{};
  depth_ = 0;
  Push(top, gds::FlatTransform{});
  header_ = stack_.front().reader->structure();
  header_.name = name;
  while (depth_ > 0) {
    if ((++steps_ & 0x3FF) == 0) {
      CheckStop();
      if (out_ != nullptr) out_->Check();
      // Children are read again and again from all over the file: give the mapped pages
      // back now and then (they stay in the page cache) so that memory stays small.
      if (Progress() >= next_release_) {
        in_.file.Release(0, in_.size());
        next_release_ = Progress() + kReleaseEvery;
      }
    }
    Frame& f = stack_[depth_ - 1];
    if (f.expanding) {
      const gds::Reference& r = f.reference;
      if (f.row >= r.rows) {
        f.expanding = false;
        continue;
      }
      const gds::FlatTransform t = gds::Compose(f.transform, gds::PlacementOf(r, f.column, f.row));
      if (++f.column >= r.columns) {
        f.column = 0;
        ++f.row;
      }
      Push(f.child, t);  // `f` is not used after this
      continue;
    }
    if (!NextElement(f)) {
      counted_[f.structure] = true;
      on_path_[f.structure] = false;
      --depth_;
      continue;
    }
    const gds::Element& e = f.current != nullptr ? *f.current : f.element;
    if (const char* fault = gds::ElementFault(gds::FactsOf(e))) {
      // Left out wherever it would be placed; said once.
      if (left_out_.insert(e.offset).second)
        result_.left_out += LogLeftOut({{e.offset, gds::StartRecordOf(e.kind), fault}}, in_.names[f.structure], log_);
      f.current = nullptr;
      continue;
    }
    if (f.current == nullptr &&
        (f.element.kind == gds::ElementKind::kSRef || f.element.kind == gds::ElementKind::kARef)) {
      StartReference(f);
    } else {
      Shape(f);
    }
  }
  if (!begun_ && drop_if_empty) return result_;
  BeginTop();
  if (out_ != nullptr) {
    gds::WriteStructureEnd(out_->records(), header_);
    out_->Check();
  }
  result_.written = true;
  return result_;
}

void Exploder::StartReference(Frame& f) {
  const gds::Element& e = f.element;
  const std::optional<std::uint32_t> child = in_.Find(e.sname);
  if (!child || !in_.summary.structures[*child].defined) {
    if (warned_.insert(child.value_or(UINT32_MAX)).second)
      log_.Warning("reference to undefined structure " + Shown(e.sname) + " left out of the flat result");
    return;
  }
  if (f.element.kind == gds::ElementKind::kARef && e.xy.size() < 3) return;
  if (e.xy.empty()) return;
  if (on_path_[*child]) {
    log_.Warning("reference cycle through " + Shown(e.sname) + " cut when flattening", "reference cycle");
    return;
  }
  f.expanding = true;
  f.child = *child;
  f.reference = ReferenceOf(e);
  f.column = 0;
  f.row = 0;
}

void Exploder::Shape(Frame& f) {
  if (f.current != nullptr) {
    // Its points go through the scratch list and back, so the cached element stays as read.
    gds::Element& e = *f.current;
    f.current = nullptr;
    MovePoints(e, in_.names[f.structure], f.transform, scratch_);
    const gds::ElementKind kind = e.kind;
    if (BecomesBoundary(e, f.transform)) e.kind = gds::ElementKind::kBoundary;
    std::string note;
    const bool passes = filter_.PolygonPasses(e, counts_, note);
    pairs_.Count(f.cached->pairs[f.next - 1], passes);
    if (passes) Write(e);
    e.kind = kind;
    e.xy.swap(scratch_);
    if (!note.empty()) log_.Line("Polygon " + note);
    return;
  }
  gds::Element& e = f.element;
  // A cached element was copied out of the cache with its filtered numbers.
  const std::optional<PairKey> pair = f.cached != nullptr ? f.cached->pairs[f.next - 1] : PairOf(e);
  std::string note;
  if (f.cached == nullptr && filter_.touches_elements()) {  // cached elements are filtered already
    FilterCounts one;
    const Outcome outcome = filter_.Shape(e, in_.names[f.structure], one, note);
    placed_.Add(one);
    if (!counted_[f.structure]) counts_.Add(one);
    if (!note.empty() && !counted_[f.structure]) log_.Warning(note, "shape change");
    if (outcome == Outcome::kDropped) {
      pairs_.Count(pair, false);
      return;
    }
  }
  // A path written as its placed outline is still a path to the polygon limits, as it is
  // wherever it keeps being a path.
  const bool path = e.kind == gds::ElementKind::kPath;
  Place(e, in_.names[f.structure], f.transform, scratch_);
  note.clear();
  const bool passes = path || filter_.PolygonPasses(e, counts_, note);
  if (!note.empty()) log_.Line("Polygon " + note);
  pairs_.Count(pair, passes);
  if (passes) Write(e);
}

Flattener::Flattener(const InputLayout& in, const ElementFilter& filter, FilterCounts& counts, EngineLog& log,
                     OutputStream* out, PairTally& pairs)
    : impl_(std::make_unique<Exploder>(in, filter, counts, log, out, pairs)) {}

Flattener::~Flattener() = default;

const FilterCounts& Flattener::placed() const { return impl_->placed(); }

ExplodeResult Flattener::Explode(std::uint32_t top, const std::string& name, bool drop_if_empty) {
  return impl_->Run(top, name, drop_if_empty);
}

}  // namespace korvex::engine
