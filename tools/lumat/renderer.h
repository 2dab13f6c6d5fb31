// Draws one view of a structure and its hierarchy into an image. Plain function of the index
// and the request, so that it runs on a worker thread and in offscreen tests alike.
//
// Level of detail: a shape smaller than a pixel becomes one pixel of its colour; a subtree
// (a placed structure with everything below it) smaller than a pixel becomes its box in a
// neutral colour; rows or columns of an array closer than a pixel merge into one box.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

#include "lumat/view_index.h"
#include "lumat/viewport.h"

namespace korvex::lumat {

struct ViewRequest {
  std::uint32_t top = 0;
  Viewport viewport;
  std::vector<bool> visible;  // per layer slot; slots past the end are visible
};

struct RenderStats {
  bool complete = true;      // false when cancelled part way
  bool limited = false;      // too many placements: the rest were drawn as boxes
  std::uint64_t outlines = 0;  // shapes drawn in full
  std::uint64_t points = 0;    // shapes below a pixel
  std::uint64_t instances = 0;
  std::uint64_t small_trees = 0;
};

struct RenderControl {
  CancelFn cancelled;  // asked now and then, also from the threads reading ahead; may be empty
  // Given a copy of the picture so far every `partial_interval_ms` (may be empty).
  std::function<void(const QImage&)> partial;
  int partial_interval_ms = 150;
  // Threads that read shapes ahead of the drawing, besides its own (-1: one per further
  // processor, at most three). The picture is the same with any number.
  int readers = -1;
};

// Makes `image` the viewport's size (premultiplied ARGB) and draws the view into it.
RenderStats RenderView(const ViewIndex& index, const ViewRequest& request, QImage& image,
                       const RenderControl& control = {});

}  // namespace korvex::lumat
