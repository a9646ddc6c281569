// Window shapes: the region a window's `Shape` gives it, from its outer size.
#include <algorithm>
#include <vector>
#include "window/Picture.h"
#include "window/WindowUnit.h"

namespace window {
namespace {

constexpr uint16_t kEnd = 0xFFFF;  // ends one point list
constexpr int32_t kFirstPolygonShape = 4;

// Polygons for shapes 4 and up, one list each: points as x, y in 0 ... 32767, scaled to the
// window's width and height.
const uint16_t kPolygons[] = {
    // 4: triangle, point up
    16384, 0, 32767, 32767, 0, 32767, kEnd,
    // 5: diamond
    16384, 0, 32767, 16384, 16384, 32767, 0, 16384, kEnd,
    // 6: hexagon
    8192, 0, 24575, 0, 32767, 16384, 24575, 32767, 8192, 32767, 0, 16384, kEnd,
    // 7: octagon
    9597, 0, 23170, 0, 32767, 9597, 32767, 23170, 23170, 32767, 9597, 32767, 0, 23170, 0, 9597, kEnd,
    // 8: five-pointed star
    16384, 0, 20240, 11878, 32767, 11878, 22640, 19222, 26510, 31100, 16384, 23757, 6257, 31100, 10127, 19222,
    0, 11878, 12527, 11878, kEnd,
    // 9: arrow pointing right
    0, 8192, 19660, 8192, 19660, 0, 32767, 16384, 19660, 32767, 19660, 24575, 0, 24575, kEnd,
};

// The points of list n (0 first) scaled to the size; empty when the table has no such list.
std::vector<POINT> PolygonPoints(int32_t list, int width, int height) {
  std::vector<POINT> points;
  size_t at = 0;
  constexpr size_t count = sizeof kPolygons / sizeof kPolygons[0];
  for (int32_t skipped = 0; skipped < list && at < count; ++at)
    if (kPolygons[at] == kEnd) ++skipped;
  for (; at + 1 < count && kPolygons[at] != kEnd; at += 2)
    points.push_back({MulDiv(kPolygons[at], width, 32767), MulDiv(kPolygons[at + 1], height, 32767)});
  return points;
}

HRGN RingRegion(int width, int height) {
  rt::gdi::Region outer(CreateEllipticRgn(0, 0, width, height));
  rt::gdi::Region inner(CreateEllipticRgn(width / 4, height / 4, width - width / 4, height - height / 4));
  if (!outer || !inner) return nullptr;
  CombineRgn(outer.get(), outer.get(), inner.get(), RGN_DIFF);
  return outer.release();
}

}  // namespace

HRGN CreateShapeRegion(int32_t shape, int width, int height) {
  switch (shape) {
    case 0: return nullptr;
    case 1: return CreateEllipticRgn(0, 0, width, height);
    case 2: {
      int corner = std::min(width / 5, height / 5);
      return CreateRoundRectRgn(0, 0, width, height, corner, corner);
    }
    case 3: return RingRegion(width, height);
    default: break;
  }
  if (shape < kFirstPolygonShape) return nullptr;
  std::vector<POINT> points = PolygonPoints(shape - kFirstPolygonShape, width, height);
  if (points.size() < 3) return nullptr;
  return CreatePolygonRgn(points.data(), int(points.size()), WINDING);
}

}  // namespace window
