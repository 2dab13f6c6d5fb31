#include "korvexe/structure_content.h"

#include <climits>
#include <functional>
#include <string_view>
#include <vector>

#include "gds/record.h"
#include "gds/record_reader.h"
#include "gds/record_writer.h"
#include "gds/stream_reader.h"
#include "gds/stream_writer.h"
#include "korvexe/element_filter.h"
#include "korvexe/run_control.h"
#include "korvexe/structure_copier.h"

namespace korvex::engine {

void RescaleElement(gds::Element& e, std::int64_t factor, const std::string& structure, const std::string& path) {
  const auto scale = [&](std::int32_t v, const char* what) {
    const std::int64_t scaled = std::int64_t{v} * factor;
    if (scaled < INT32_MIN || scaled > INT32_MAX)
      throw EngineError(ElementPlace(structure, e.offset) + " of " + path + " cannot be rescaled: " + what +
                        std::to_string(v) + " times " + std::to_string(factor) + " would be " + std::to_string(scaled) +
                        ", outside the 32-bit range");
    return static_cast<std::int32_t>(scaled);
  };
  for (gds::Point& p : e.xy) p = {scale(p.x, "x = "), scale(p.y, "y = ")};
  if (e.width) e.width = scale(*e.width, "width ");
  if (e.bgnextn) e.bgnextn = scale(*e.bgnextn, "start extension ");
  if (e.endextn) e.endextn = scale(*e.endextn, "end extension ");
}

namespace {

// Walks the elements of one definition and gives each as the bytes it would be written as.
class ContentReader {
 public:
  explicit ContentReader(const Definition& d)
      : d_(d), reader_(d.file->data(), d.file->size(), ignored_), writer_(sink_, 1 << 16) {
    reader_.Seek(d.file->summary.structures[d.structure].offset);
    open_ = reader_.NextStructure();
  }

  // The next element's bytes; false after the last one.
  bool Next() {
    if (!open_ || !reader_.NextElement(e_)) return open_ = false;
    if ((++count_ & 0xFFF) == 0) CheckStop();
    sink_.bytes.clear();
    if (gds::ElementFault(gds::FactsOf(e_)) != nullptr) comparable_ = false;
    if (d_.scale != 1) RescaleElement(e_, d_.scale, d_.file->names[d_.structure], d_.file->path);
    if (!comparable_ || !gds::WriteElement(writer_, e_) || !writer_.Flush()) comparable_ = false;
    return true;
  }
  std::string_view bytes() const {
    return {reinterpret_cast<const char*>(sink_.bytes.data()), sink_.bytes.size()};
  }
  bool comparable() const { return comparable_; }
  // Complete once Next() has returned false.
  const gds::StructureHeader& header() const { return reader_.structure(); }

 private:
  Definition d_;
  gds::Diagnostics ignored_;  // the index pass has reported what is wrong in the file
  gds::StreamReader reader_;
  gds::MemorySink sink_;
  gds::RecordWriter writer_;
  gds::Element e_;
  std::uint64_t count_ = 0;
  bool open_ = false;
  bool comparable_ = true;
};

std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
  h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
  return h;
}

std::uint64_t HeaderHash(const gds::StructureHeader& h) {
  std::uint64_t hash = h.strclass ? *h.strclass + 1 : 0;
  for (const gds::RawRecord& r : h.trailing) {
    hash = Mix(hash, (std::uint64_t{r.type} << 8) | r.data_type);
    hash = Mix(hash, std::hash<std::string_view>{}({reinterpret_cast<const char*>(r.data.data()), r.data.size()}));
  }
  return hash;
}

std::uint16_t RecordLength(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]));
}

// The record in which two encodings of one element part ways ("XY", "PATH instead of BOUNDARY").
std::string DifferingRecord(std::string_view first, std::string_view later) {
  std::size_t a = 0, b = 0;
  while (a + 4 <= first.size() && b + 4 <= later.size()) {
    const std::size_t la = RecordLength(first, a), lb = RecordLength(later, b);
    const auto ta = static_cast<std::uint8_t>(first[a + 2]), tb = static_cast<std::uint8_t>(later[b + 2]);
    if (ta != tb) return gds::RecordName(tb) + " instead of " + gds::RecordName(ta);
    if (la < 4 || lb < 4 || first.substr(a, la) != later.substr(b, lb)) return gds::RecordName(ta);
    a += la;
    b += lb;
  }
  if (b + 4 <= later.size()) return gds::RecordName(static_cast<std::uint8_t>(later[b + 2])) + " in addition";
  if (a + 4 <= first.size()) return gds::RecordName(static_cast<std::uint8_t>(first[a + 2])) + " missing";
  return "?";
}

std::string MoreElements(ContentReader& longer, const char* which) {
  std::uint64_t more = 1;
  while (longer.Next()) ++more;
  return std::string("the ") + which + " definition has " + std::to_string(more) + (more == 1 ? " more element" : " more elements");
}

}  // namespace

namespace {

// The bytes of a structure after its STRNAME up to its ENDSTR, when it can be written as it is.
std::optional<std::string_view> StoredBody(const InputLayout& in, std::uint32_t s) {
  const std::uint64_t offset = in.summary.structures[s].offset;
  const std::optional<std::uint64_t> end = VerbatimEnd(in, s);
  if (!end) return std::nullopt;
  gds::RecordReader reader(in.data(), *end);
  reader.Seek(offset);
  gds::Record rec;
  if (reader.Next(rec) != gds::RecordReader::Status::kRecord || rec.type != gds::kBgnStr ||
      reader.Next(rec) != gds::RecordReader::Status::kRecord || rec.type != gds::kStrName)
    return std::nullopt;
  const std::uint64_t start = reader.offset();
  return std::string_view(reinterpret_cast<const char*>(in.data()) + start, *end - start);
}

}  // namespace

bool SameStoredBytes(const Definition& first, const Definition& later) {
  if (first.scale != later.scale) return false;
  const std::optional<std::string_view> a = StoredBody(*first.file, first.structure);
  const std::optional<std::string_view> b = a ? StoredBody(*later.file, later.structure) : std::nullopt;
  return a && b && *a == *b;
}

ContentDigest DigestStructure(const InputLayout& in, std::uint32_t s, std::int64_t scale) {
  ContentReader reader({&in, s, scale});
  ContentDigest d;
  while (reader.Next()) {
    d.hash = Mix(d.hash, std::hash<std::string_view>{}(reader.bytes()));
    ++d.elements;
  }
  d.hash = Mix(d.hash, HeaderHash(reader.header()));
  d.comparable = reader.comparable();
  return d;
}

std::optional<std::string> FirstDifference(const Definition& first, const Definition& later) {
  ContentReader a(first), b(later);
  for (std::uint64_t i = 1;; ++i) {
    const bool in_a = a.Next(), in_b = b.Next();
    if (!in_a && !in_b) break;
    if (!in_b) return MoreElements(a, "first");
    if (!in_a) return MoreElements(b, "later");
    if (!a.comparable() || !b.comparable()) return "element " + std::to_string(i) + " cannot be written as it is";
    if (a.bytes() != b.bytes()) return "element " + std::to_string(i) + ", record " + DifferingRecord(a.bytes(), b.bytes());
  }
  if (a.header().strclass != b.header().strclass) return std::string("STRCLASS");
  if (a.header().trailing != b.header().trailing) return std::string("the properties between elements");
  return std::nullopt;
}

}  // namespace korvex::engine
