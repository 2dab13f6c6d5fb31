#include "tools/lumat/layout_builder.h"

#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "gds/record_writer.h"
#include "gds/stream_writer.h"

namespace korvex::lumat::testing {

std::string TempFolder() {
  return (std::filesystem::temp_directory_path() / ("korvex_lumat_tests_" + std::to_string(::getpid()))).string();
}

std::string TempPath(const std::string& file_name) {
  std::filesystem::create_directories(TempFolder());
  return (std::filesystem::path(TempFolder()) / file_name).string();
}

void DropTail(const std::string& path, std::size_t bytes) {
  std::filesystem::resize_file(path, std::filesystem::file_size(path) - bytes);
}

LayoutBuilder& LayoutBuilder::Structure(const std::string& name) {
  m_structures.push_back({name, {}});
  return *this;
}

gds::Element& LayoutBuilder::Add(gds::ElementKind kind) {
  if (m_structures.empty()) throw std::logic_error("element before any structure");
  gds::Element& e = m_structures.back().second.emplace_back();
  e.kind = kind;
  return e;
}

LayoutBuilder& LayoutBuilder::Rect(int layer, int datatype, int x0, int y0, int x1, int y1) {
  return Polygon(layer, datatype, {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}});
}

LayoutBuilder& LayoutBuilder::Polygon(int layer, int datatype, std::vector<gds::Point> points) {
  gds::Element& e = Add(gds::ElementKind::kBoundary);
  e.layer = static_cast<std::uint16_t>(layer);
  e.datatype = static_cast<std::uint16_t>(datatype);
  e.xy = std::move(points);
  return *this;
}

LayoutBuilder& LayoutBuilder::Path(int layer, int datatype, int width, std::vector<gds::Point> points, int pathtype) {
  gds::Element& e = Add(gds::ElementKind::kPath);
  e.layer = static_cast<std::uint16_t>(layer);
  e.datatype = static_cast<std::uint16_t>(datatype);
  e.width = width;
  e.pathtype = static_cast<std::int16_t>(pathtype);
  e.xy = std::move(points);
  return *this;
}

LayoutBuilder& LayoutBuilder::Text(int layer, int texttype, int x, int y, const std::string& text) {
  gds::Element& e = Add(gds::ElementKind::kText);
  e.layer = static_cast<std::uint16_t>(layer);
  e.datatype = static_cast<std::uint16_t>(texttype);
  e.xy = {{x, y}};
  e.has_string = true;
  e.string = text;
  return *this;
}

namespace {

void SetPlacement(gds::Element& e, const Placement& p) {
  if (!p.reflect && p.angle == 0 && p.mag == 1) return;
  e.strans = p.reflect ? 0x8000 : 0;
  if (p.mag != 1) e.mag = gds::Real8::FromDouble(p.mag);
  if (p.angle != 0) e.angle = gds::Real8::FromDouble(p.angle);
}

}  // namespace

LayoutBuilder& LayoutBuilder::SRef(const std::string& child, int x, int y, Placement p) {
  gds::Element& e = Add(gds::ElementKind::kSRef);
  e.has_sname = true;
  e.sname = child;
  e.xy = {{x, y}};
  SetPlacement(e, p);
  return *this;
}

LayoutBuilder& LayoutBuilder::ARef(const std::string& child, int columns, int rows, gds::Point p1, gds::Point p2,
                                   gds::Point p3, Placement p) {
  gds::Element& e = Add(gds::ElementKind::kARef);
  e.has_sname = true;
  e.sname = child;
  e.colrow = std::array<std::uint16_t, 2>{static_cast<std::uint16_t>(columns), static_cast<std::uint16_t>(rows)};
  e.xy = {p1, p2, p3};
  SetPlacement(e, p);
  return *this;
}

std::string LayoutBuilder::Save(const std::string& stem) const {
  const std::string path = TempPath(stem + ".gds");
  gds::FileSink sink;
  if (!sink.Open(path)) throw std::runtime_error("cannot write " + path);
  gds::RecordWriter out(sink);
  gds::LibraryHeader header;
  header.name = "LUMAT_TEST";
  gds::WriteLibraryHeader(out, header);
  for (const auto& [name, elements] : m_structures) {
    gds::StructureHeader h;
    h.name = name;
    gds::WriteStructureBegin(out, h);
    for (const gds::Element& e : elements) gds::WriteElement(out, e);
    gds::WriteStructureEnd(out, h);
  }
  gds::WriteLibraryEnd(out);
  if (!out.ok() || !sink.Close()) throw std::runtime_error("cannot write " + path);
  return path;
}

}  // namespace korvex::lumat::testing
