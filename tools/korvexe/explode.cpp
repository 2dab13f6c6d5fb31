#include "korvexe/explode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <span>
#include <unordered_set>
#include <vector>

#include "gds/bytes.h"
#include "gds/flat_transform.h"
#include "gds/geometry.h"
#include "gds/hierarchy.h"
#include "gds/path_outline.h"
#include "gds/stream_reader.h"
#include "gds/stream_writer.h"
#include "korvexe/element_check.h"
#include "korvexe/flat_cache.h"
#include "korvexe/placement_counts.h"
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

// The bytes of each defined structure in the input, from its BGNSTR to the next one (or the
// end): about what its records take when kept.
std::vector<std::uint64_t> RecordBytes(const InputLayout& in) {
  std::vector<std::uint32_t> order = in.summary.listed;
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return in.summary.structures[a].offset < in.summary.structures[b].offset;
  });
  std::vector<std::uint64_t> bytes(in.summary.structures.size(), 0);
  for (std::size_t i = 0; i < order.size(); ++i) {
    const std::uint64_t from = in.summary.structures[order[i]].offset;
    const std::uint64_t to = i + 1 < order.size() ? in.summary.structures[order[i + 1]].offset : in.size();
    bytes[order[i]] = to > from ? to - from : 0;
  }
  return bytes;
}

std::uint64_t ElementsOf(const gds::StructureSummary& s) {
  std::uint64_t n = 0;
  for (std::uint64_t c : s.counts) n += c;
  return n;
}

// Points of an XY payload, as written.
void LoadPoints(const std::uint8_t* p, std::size_t count, std::vector<gds::Point>& points) {
  points.resize(count);
  for (gds::Point& pt : points) {
    pt = {gds::LoadI32(p), gds::LoadI32(p + 4)};
    p += 8;
  }
}

void StorePoints(const std::vector<gds::Point>& points, std::uint8_t* p) {
  for (const gds::Point& pt : points) {
    gds::StoreU32(p, static_cast<std::uint32_t>(pt.x));
    gds::StoreU32(p + 4, static_cast<std::uint32_t>(pt.y));
    p += 8;
  }
}

// A whole-number placement as the four coefficients and displacement it comes to, for the
// points of a kept structure known to stay within the 32-bit range wherever it is placed so:
// they move from record to record with no check per point. The same numbers as
// WholeTransform::Apply.
struct Mover {
  std::int64_t xx = 1, xy = 0, yx = 0, yy = 1, dx = 0, dy = 0;

  Mover() = default;
  explicit Mover(const gds::WholeTransform& w) : dx(w.dx), dy(w.dy) {
    const std::int64_t r = w.reflect ? -1 : 1;
    xx = w.mag * w.cos;
    xy = -r * w.mag * w.sin;
    yx = w.mag * w.sin;
    yy = r * w.mag * w.cos;
  }
  void Move(const std::uint8_t* from, std::uint8_t* to, std::size_t points) const {
    // Copies: the stores below may not alias them.
    const std::int64_t a = xx, b = xy, c = yx, d = yy, e = dx, f = dy;
    for (std::size_t i = 0; i < points; ++i, from += 8, to += 8) {
      const std::int64_t x = gds::LoadI32(from), y = gds::LoadI32(from + 4);
      gds::StoreU32(to, static_cast<std::uint32_t>(a * x + b * y + e));
      gds::StoreU32(to + 4, static_cast<std::uint32_t>(c * x + d * y + f));
    }
  }
};

// Whether `w` keeps every point of `box` within the 32-bit range (the corners bound the rest).
bool KeepsInRange(const gds::WholeTransform& w, const gds::Box& box) {
  if (box.empty()) return true;
  const double xs[2] = {box.min_x, box.max_x}, ys[2] = {box.min_y, box.max_y};
  for (double x : xs)
    for (double y : ys) {
      gds::Point p{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
      if (!w.Apply(p)) return false;
    }
  return true;
}

struct Frame {
  std::uint32_t structure = 0;
  gds::FlatTransform transform;
  std::optional<gds::WholeTransform> whole;  // the same, when it is one
  bool mover_fits = false;  // `mover` places every kept point within range
  Mover mover;
  std::unique_ptr<gds::StreamReader> reader;
  CachedStructure* cached = nullptr;  // when the structure is kept
  std::size_t next = 0;               // its next item
  const CachedItem* item = nullptr;   // the kept element read back into `element`
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
           OutputStream* out, PairTally& pairs, std::uint64_t cache_budget)
      : in_(in),
        filter_(filter),
        counts_(counts),
        log_(log),
        out_(out),
        pairs_(pairs),
        on_path_(in.names.size(), false),
        budget_(cache_budget),
        record_bytes_(RecordBytes(in)),
        placements_(in.summary),
        wanted_(in.names.size(), false),
        refused_(in.names.size(), false),
        cache_(in.names.size()),
        counted_(in.names.size(), false) {}

  ExplodeResult Run(std::uint32_t top, const std::string& name, bool drop_if_empty);
  const FilterCounts& placed() const { return placed_; }
  std::uint64_t cache_peak() const { return cache_peak_; }

 private:
  void Push(std::uint32_t s, const gds::FlatTransform& t);
  void ChooseKept(std::uint32_t top);
  void Keep(std::uint32_t s);
  void Forget(std::uint32_t s);
  bool PlaceKept(Frame& f, const CachedItem& item);
  void LeftOut(std::uint64_t offset, gds::ElementKind kind, const char* fault, std::uint32_t structure);
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
  // Children placed from all over the file keep their pages mapped: they are given back
  // (they stay in the page cache) each time this much more is written.
  static constexpr std::uint64_t kReleaseEvery = 64u << 20;
  static constexpr std::uint64_t kDryElementBytes = 64;
  std::uint64_t next_release_ = kReleaseEvery;
  // Structures placed many times are read and filtered once and kept, the most placed first,
  // within `budget_` bytes in all; the others are read again from the mapped file at each
  // placement.
  std::uint64_t budget_;
  std::vector<std::uint64_t> record_bytes_;  // per structure, in the input
  PlacementCounter placements_;
  std::vector<bool> wanted_;   // chosen to be kept in the tree being flattened
  std::vector<bool> refused_;  // found too big to keep when tried
  std::vector<std::uint32_t> wanted_list_;
  std::uint64_t cache_bytes_ = 0;
  std::uint64_t cache_peak_ = 0;
  std::uint32_t top_ = 0;
  std::vector<std::unique_ptr<CachedStructure>> cache_;
  std::vector<std::uint32_t> kept_list_;  // structures in `cache_`
  std::vector<std::uint32_t> scratch_list_;
  ElementEncoder encoder_;
  std::vector<bool> counted_;  // the filter's counts cover each structure once
  std::vector<gds::Point> scratch_;
};

// Frames are kept for reuse: each depth keeps its reader and its element's allocations.
void Exploder::Push(std::uint32_t s, const gds::FlatTransform& t) {
  if (depth_ == stack_.size()) {
    stack_.emplace_back();
    stack_.back().reader = std::make_unique<gds::StreamReader>(in_.data(), in_.size(), ignored_);
  }
  if (wanted_[s] && !cache_[s]) Keep(s);
  Frame& f = stack_[depth_++];
  f.structure = s;
  f.transform = t;
  f.whole = gds::WholeOf(t);
  f.expanding = false;
  f.cached = cache_[s].get();
  f.next = 0;
  f.item = nullptr;
  f.mover_fits = false;
  if (f.cached != nullptr) {
    if (f.whole && KeepsInRange(*f.whole, f.cached->box())) {
      f.mover_fits = true;
      f.mover = Mover(*f.whole);
    }
    for (PairKey p : f.cached->dropped()) pairs_.Count(p, false);
    placed_.Add(f.cached->counts());
  } else {
    f.reader->Seek(in_.summary.structures[s].offset);
    f.reader->NextStructure();
  }
  on_path_[s] = true;
  ++result_.placements;
}

// Chooses what to keep for the tree of `top`: those placed most often, as many as the budget
// holds (what each will take is known from the input before it is read). Kept structures
// that are not chosen are forgotten.
void Exploder::ChooseKept(std::uint32_t top) {
  for (std::uint32_t s : wanted_list_) wanted_[s] = false;
  wanted_list_.clear();
  std::vector<std::uint32_t>& candidates = scratch_list_;
  candidates.clear();
  for (std::uint32_t s : placements_.Count(top))
    if (s != top && placements_.placements(s) >= 2 && !refused_[s]) candidates.push_back(s);
  std::stable_sort(candidates.begin(), candidates.end(), [this](std::uint32_t a, std::uint32_t b) {
    return placements_.placements(a) > placements_.placements(b);
  });
  std::uint64_t total = 0;
  for (std::uint32_t s : candidates) {
    const std::uint64_t size =
        cache_[s] ? cache_[s]->footprint()
                  : CachedStructure::Estimate(record_bytes_[s], ElementsOf(in_.summary.structures[s]));
    if (size > budget_ - total) continue;
    total += size;
    wanted_[s] = true;
    wanted_list_.push_back(s);
  }
  std::size_t still = 0;
  for (std::uint32_t s : kept_list_) {
    if (!wanted_[s]) Forget(s);
    else kept_list_[still++] = s;
  }
  kept_list_.resize(still);
}

void Exploder::Forget(std::uint32_t s) {
  cache_bytes_ -= cache_[s]->footprint();
  cache_[s].reset();
}

// Reads structure `s` and keeps it, within what is left of the budget; a structure that turns
// out larger is let go and streamed from then on. What the shape options did is logged and
// counted once the whole structure is read, so that a structure let go is not counted twice.
void Exploder::Keep(std::uint32_t s) {
  gds::StreamReader reader(in_.data(), in_.size(), ignored_);
  reader.Seek(in_.summary.structures[s].offset);
  if (!reader.NextStructure()) {
    wanted_[s] = false;
    return;
  }
  auto cached = std::make_unique<CachedStructure>(budget_ - cache_bytes_, record_bytes_[s],
                                                  ElementsOf(in_.summary.structures[s]));
  FilterCounts& counts = cached->counts();
  std::vector<std::string> notes;
  gds::Element e;
  std::string note;
  bool fits = true;
  while (fits && reader.NextElement(e)) {
    // Elements that are not valid are left out where they would be placed, and not counted.
    const std::optional<PairKey> pair =
        gds::ElementFault(gds::FactsOf(e)) == nullptr ? PairOf(e) : std::nullopt;
    if (e.kind != gds::ElementKind::kSRef && e.kind != gds::ElementKind::kARef && filter_.touches_elements()) {
      note.clear();
      const Outcome outcome = filter_.Shape(e, in_.names[s], counts, note);
      if (!note.empty()) notes.push_back(note);
      if (outcome == Outcome::kDropped) {
        if (pair) fits = cached->AddDropped(*pair);
        continue;
      }
    }
    const char* fault = gds::ElementFault(gds::FactsOf(e));
    fits = fault != nullptr ? cached->AddLeftOut(e, fault) : cached->Add(e, pair, encoder_);
  }
  // Its pages in the input are given back at once: kept, it does not need them again.
  const std::uint64_t from = in_.summary.structures[s].offset;
  in_.file.Release(from, from + record_bytes_[s]);
  if (!fits) {
    wanted_[s] = false;
    refused_[s] = true;
    return;
  }
  cached->Finish();
  if (!counted_[s]) {
    for (const std::string& n : notes) log_.Warning(n, "shape change");
    counts_.Add(counts);
  }
  counted_[s] = true;
  cache_bytes_ += cached->footprint();
  cache_peak_ = std::max(cache_peak_, cache_bytes_);
  cache_[s] = std::move(cached);
  kept_list_.push_back(s);
}

void Exploder::LeftOut(std::uint64_t offset, gds::ElementKind kind, const char* fault, std::uint32_t structure) {
  // Left out wherever it would be placed; said once.
  if (left_out_.insert(offset).second)
    result_.left_out += LogLeftOut({{offset, gds::StartRecordOf(kind), fault}}, in_.names[structure], log_);
}

// Writes a kept element that its placement only moves (or leaves as it is) from its records:
// copied, with the moved points put in. False when the placement changes more (or the
// points would leave the 32-bit range): the element is then read back and placed whole.
bool Exploder::PlaceKept(Frame& f, const CachedItem& item) {
  const gds::FlatTransform& t = f.transform;
  switch (item.kind) {
    case gds::ElementKind::kBoundary:
      if (filter_.polygons_active()) return false;
      break;
    case gds::ElementKind::kNode:
      break;
    case gds::ElementKind::kBox:
      if (!gds::IsQuarterTurn(t.angle)) return false;  // it becomes a boundary
      break;
    case gds::ElementKind::kPath:
    case gds::ElementKind::kText:
      if (!t.identity() && (item.kind == gds::ElementKind::kText || t.mag != 1.0)) return false;
      break;
    default:
      return false;
  }
  if (item.size > 65536) return false;
  const std::span<const std::uint8_t> records = f.cached->RecordsOf(item);
  const bool moved = !t.identity();
  // A path keeps its records (its width unmagnified) only where it keeps its outline.
  if (moved && item.kind == gds::ElementKind::kPath && !gds::PlacementKeepsOutline(item.one_point, t)) return false;
  const bool checked = moved && !f.mover_fits;
  if (checked) {
    LoadPoints(records.data() + item.xy, item.points, scratch_);
    if (!gds::TransformPoints(t, scratch_)) return false;
  }
  BeginTop();
  pairs_.Count(item.pair, true);
  ++result_.elements;
  if (out_ == nullptr) return true;
  std::uint8_t* p = out_->records().Reserve(records.size());
  if (p == nullptr) return true;  // the writer keeps the error; the next check reports it
  std::memcpy(p, records.data(), records.size());
  if (checked) StorePoints(scratch_, p + item.xy);
  else if (moved) f.mover.Move(records.data() + item.xy, p + item.xy, item.points);
  return true;
}

ExplodeResult Exploder::Run(std::uint32_t top, const std::string& name, bool drop_if_empty) {
  top_ = top;
  begun_ = false;
  result_ = ExplodeResult{};
  depth_ = 0;
  ChooseKept(top);
  Push(top, gds::FlatTransform{});
  header_ = stack_.front().reader->structure();
  header_.name = name;
  while (depth_ > 0) {
    if ((++steps_ & 0x3FF) == 0) {
      CheckStop();
      if (out_ != nullptr) out_->Check();
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
    f.item = nullptr;
    if (f.cached != nullptr) {
      if (f.next == f.cached->items().size()) {
        on_path_[f.structure] = false;
        --depth_;
        continue;
      }
      const CachedItem& item = f.cached->items()[f.next++];
      if (item.fault != nullptr) {
        LeftOut(item.offset, item.kind, item.fault, f.structure);
        continue;
      }
      if (PlaceKept(f, item)) continue;
      f.cached->Read(item, f.element);
      f.item = &item;
    } else {
      if (!f.reader->NextElement(f.element)) {
        counted_[f.structure] = true;
        on_path_[f.structure] = false;
        --depth_;
        continue;
      }
      if (const char* fault = gds::ElementFault(gds::FactsOf(f.element))) {
        LeftOut(f.element.offset, f.element.kind, fault, f.structure);
        continue;
      }
    }
    if (f.element.kind == gds::ElementKind::kSRef || f.element.kind == gds::ElementKind::kARef) {
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
  gds::Element& e = f.element;
  // A kept element was read back with its filtered numbers.
  const std::optional<PairKey> pair = f.item != nullptr ? f.item->pair : PairOf(e);
  std::string note;
  if (f.cached == nullptr && filter_.touches_elements()) {  // kept elements are filtered already
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
                     OutputStream* out, PairTally& pairs, std::uint64_t cache_budget)
    : impl_(std::make_unique<Exploder>(in, filter, counts, log, out, pairs, cache_budget)) {}

Flattener::~Flattener() = default;

const FilterCounts& Flattener::placed() const { return impl_->placed(); }

std::uint64_t Flattener::cache_peak() const { return impl_->cache_peak(); }

ExplodeResult Flattener::Explode(std::uint32_t top, const std::string& name, bool drop_if_empty) {
  return impl_->Run(top, name, drop_if_empty);
}

}  // namespace korvex::engine
