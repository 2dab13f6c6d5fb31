// Writes small layouts with known shapes for the viewer's tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "gds/element.h"

namespace korvex::lumat::testing {

struct Placement {
  double angle = 0;
  bool reflect = false;
  double mag = 1;
};

class LayoutBuilder {
 public:
  // Starts a structure; the elements that follow belong to it.
  LayoutBuilder& Structure(const std::string& name);
  LayoutBuilder& Rect(int layer, int datatype, int x0, int y0, int x1, int y1);
  LayoutBuilder& Polygon(int layer, int datatype, std::vector<gds::Point> points);
  LayoutBuilder& Path(int layer, int datatype, int width, std::vector<gds::Point> points, int pathtype = 0);
  LayoutBuilder& Text(int layer, int texttype, int x, int y, const std::string& text);
  LayoutBuilder& SRef(const std::string& child, int x, int y, Placement p = {});
  LayoutBuilder& ARef(const std::string& child, int columns, int rows, gds::Point p1, gds::Point p2, gds::Point p3,
                      Placement p = {});

  // Writes the layout to a fresh file under the temporary folder and returns its path.
  std::string Save(const std::string& stem) const;

 private:
  gds::Element& Add(gds::ElementKind kind);
  std::vector<std::pair<std::string, std::vector<gds::Element>>> m_structures;
};

// The temporary folder unique to this test run, and a path in it.
std::string TempFolder();
std::string TempPath(const std::string& file_name);

// Cuts the last `bytes` bytes off the file.
void DropTail(const std::string& path, std::size_t bytes);

}  // namespace korvex::lumat::testing
