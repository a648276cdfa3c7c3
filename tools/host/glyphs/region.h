// Areas of the plane as inside tests, and their rasterisation to one-bit masks.
// Coordinates are in pixels, x to the right and y downwards, with (0, 0) the top-left
// corner of the bitmap.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace glyphs {

struct Point {
    double x, y;
};

using Region = std::function<bool(double x, double y)>;

enum class CornerKind { Square, Round, Chamfer, Scoop, Step };

// One corner of a box: an elliptic arc, a straight cut, a concave quarter arc or a
// rectangular notch, rx wide and ry high.
struct Corner {
    CornerKind kind = CornerKind::Square;
    double rx = 0, ry = 0;
};

// Top-left, top-right, bottom-right, bottom-left.
using Corners = std::vector<Corner>;
Corners Same(Corner c);
// The corners whose bit is set in mask (1 top-left, 2 top-right, 4 bottom-right,
// 8 bottom-left) get c, the others stay square.
Corners Some(int mask, Corner c);

Region Box(double left, double top, double right, double bottom, const Corners& corners = {});
Region Ellipse(double cx, double cy, double rx, double ry);
Region Superellipse(double cx, double cy, double rx, double ry, double exponent);
// Even-odd rule, so self-crossing outlines (stars drawn in one stroke) work too.
Region Polygon(std::vector<Point> points);
// sides corners on a circle of radius r; the first at `degrees` (0 points right,
// 90 points up).
Region RegularPolygon(double cx, double cy, double r, int sides, double degrees);
Region Star(double cx, double cy, double outer, double inner, int points, double degrees);

Region Union(std::vector<Region> parts);
Region Minus(Region from, Region cut);
Region Intersect(Region a, Region b);

// The region turned by `degrees` counter-clockwise (as seen on screen) about (cx, cy).
Region Rotated(Region r, double cx, double cy, double degrees);
// Row y moved right by shift * (height - y) / height: a box leans right for shift > 0.
Region Sheared(Region r, double shift, double height);
// Row y scaled about x = cx so that its half-width shrinks by inset * (height - y) /
// height (top narrower for inset > 0) out of a half-width of halfWidth.
Region Tapered(Region r, double cx, double halfWidth, double inset, double height);
Region Translated(Region r, double dx, double dy);

// Row-major, top row first; 1 for a pixel inside the region.
struct Mask {
    int width = 0, height = 0;
    std::vector<uint8_t> inside;
};

// A pixel is inside when all four corners of its square (drawn in by a hair, so that
// edges on pixel boundaries are exact) lie in the region: white means wholly inside.
Mask Rasterize(const Region& region, int width, int height);

}  // namespace glyphs
