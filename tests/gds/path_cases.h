// Paths that exercise every part of the outline rule: each path type, odd widths, joins at
// every angle (acute, turning back, nearly straight), short and zero-length segments,
// repeated points, single points, and a reproducible random set of the same kinds. Shared by
// the outline tests and the comparison with KLayout.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "gds/path_outline.h"

namespace korvex::gdstest {

struct PathCase {
  std::string name;
  gds::PathShape shape;
  std::vector<gds::Point> points;
};

inline std::vector<PathCase> HandMadePaths() {
  using P = std::vector<gds::Point>;
  return {
      {"45-degree turn back, width 60", {60, 0, 0, 0}, P{{0, 0}, {1000, 0}, {0, 1000}}},
      {"sharp turn back, width 3000", {3000, 0, 0, 0}, P{{0, 0}, {10000, 0}, {2000, 1500}}},
      {"straight back", {60, 0, 0, 0}, P{{0, 0}, {1000, 0}, {0, 0}}},
      {"straight back, half-width ends", {60, 2, 0, 0}, P{{0, 0}, {1000, 0}, {-500, 0}}},
      {"straight back off the axes", {160, 0, 0, 0}, P{{6589, 84}, {7225, 720}, {5095, -771}, {5505, -484}, {7995, -266}}},
      {"179 degrees", {2000, 0, 0, 0}, P{{0, 0}, {100000, 0}, {15, 1745}}},
      {"150 degrees, short leg", {2000, 0, 0, 0}, P{{0, 0}, {100000, 0}, {97835, 1250}}},
      {"right angle", {60, 0, 0, 0}, P{{0, 0}, {1000, 0}, {1000, 1000}}},
      {"45-degree jog", {400, 0, 0, 0}, P{{0, 0}, {1000, 0}, {1200, 200}, {2000, 200}}},
      {"U turn narrower than the width", {400, 0, 0, 0}, P{{0, 0}, {1000, 0}, {1000, 100}, {0, 100}}},
      {"nearly right angle beside a diagonal", {80, 0, 0, 0}, P{{49292, 46084}, {51041, 44354}, {50941, 44254}}},
      {"point half a unit off the line", {400, 0, 0, 0}, P{{0, 0}, {1000, 0}, {2001, 1}, {3002, 2}}},
      {"repeated and zero-length", {61, 4, 5, 7}, P{{0, 0}, {0, 0}, {1000, 0}, {1000, 0}, {1000, 700}}},
      {"odd width, diagonal", {61, 0, 0, 0}, P{{0, 0}, {1000, 1000}}},
      {"odd width, half-width ends", {61, 2, 0, 0}, P{{-41, -12}, {-41, 73}, {300, 73}}},
      {"round ends, odd width, axis", {61, 1, 0, 0}, P{{0, 0}, {10000, 0}}},
      {"round ends, odd width, diagonal", {127, 1, 0, 0}, P{{0, 0}, {5000, 5000}}},
      {"round ends, any direction", {3000, 1, 0, 0}, P{{0, 0}, {100000, 0}, {200000, 30000}}},
      {"round single point", {60, 1, 0, 0}, P{{5, 5}}},
      {"square single point", {60, 2, 0, 0}, P{{5, 5}}},
      {"single point, explicit ends", {60, 4, 10, 50}, P{{0, 0}}},
      {"negative extensions", {100, 4, -10, -20}, P{{0, 0}, {300, 0}}},
      {"absolute width", {-60, 0, 0, 0}, P{{0, 0}, {1000, 0}, {1000, -800}}},
      // A negative width halves into ends drawn back in, as KLayout reads it.
      {"absolute width, half-width ends", {-281, 2, 0, 0}, P{{793, 5356}, {-307, 5356}, {-307, 8506}}},
      {"absolute width, round ends", {-200, 1, 0, 0}, P{{4042, 4656}, {1842, 5756}}},
      {"absolute width, round ends, axis", {-200, 1, 0, 0}, P{{0, 0}, {3000, 0}, {3000, 2000}}},
      {"unknown path type", {60, 3, 0, 0}, P{{0, 0}, {700, 300}}},
  };
}

// A reproducible mix like generated layouts have: Manhattan and diagonal steps, any direction,
// repeated points, turns back, widths from 20 to 400 (odd ones too), every path type.
inline std::vector<PathCase> RandomPaths(std::uint32_t seed, int count) {
  std::mt19937 rng(seed);
  auto range = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<PathCase> out;
  for (int i = 0; i < count; ++i) {
    PathCase c;
    c.name = "random " + std::to_string(seed) + "/" + std::to_string(i);
    int x = range(-100000, 100000), y = range(-100000, 100000);
    c.points.push_back({x, y});
    const int n = range(2, 9);
    for (int k = 1; k < n; ++k) {
      const int step = range(1, 30) * (range(0, 2) == 0 ? 1 : range(0, 1) == 0 ? 10 : 100);
      const int sign = range(0, 1) == 0 ? 1 : -1;
      switch (range(0, 9)) {
        case 0: case 1: case 2: x += sign * step; break;
        case 3: case 4: case 5: y += sign * step; break;
        case 6: x += sign * step; y += (range(0, 1) == 0 ? step : -step); break;
        case 7: break;  // a repeated point
        case 8:
          if (c.points.size() > 1) {
            x = c.points[c.points.size() - 2].x;
            y = c.points[c.points.size() - 2].y;
          }
          break;
        default: x += range(-3000, 3000); y += range(-3000, 3000); break;
      }
      c.points.push_back({x, y});
    }
    c.shape.width = range(0, 1) == 0 ? range(1, 20) * 20 : range(20, 401);
    if (range(0, 9) == 0) c.shape.width = -c.shape.width;
    static constexpr int kTypes[] = {0, 1, 2, 4};
    c.shape.pathtype = kTypes[range(0, 3)];
    if (c.shape.pathtype == 4) {
      c.shape.bgnextn = range(-5, 20) * 10;
      c.shape.endextn = range(-5, 20) * 10;
    }
    out.push_back(std::move(c));
  }
  return out;
}

}  // namespace korvex::gdstest
