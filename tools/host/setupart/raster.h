// Shapes as signed distance functions and an anti-aliased canvas to paint them on.
//
// A shape gives, for a point of the drawing, its distance to the shape's edge: negative
// inside, positive outside. Unions and cuts of such functions stay good enough for
// filling, outlining and glows. The canvas maps its pixels onto a drawing area of its
// own size in drawing units, which may differ per axis: the logo is drawn in the
// proportions it is shown in, not in those of its bitmap.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace setupart {

struct Point {
    double x, y;
};

struct Rgb {
    double r, g, b;  // 0 to 1
};

// 0xRRGGBB as written in a colour picker.
Rgb Hex(uint32_t rrggbb);
Rgb Mix(Rgb a, Rgb b, double t);

using Shape = std::function<double(Point)>;
// The colour to paint at a point; lets a fill carry a gradient.
using Paint = std::function<Rgb(Point)>;

Paint Solid(Rgb c);
// From c0 at p0 to c1 at p1, constant across and beyond the ends.
Paint Linear(Point p0, Rgb c0, Point p1, Rgb c1);

Shape Disc(Point centre, double radius);
Shape Ellipse(Point centre, double rx, double ry);
Shape Box(double left, double top, double right, double bottom, double radius = 0);
// A line through the points, `width` thick, with round ends and joins.
Shape Stroke(std::vector<Point> points, double width);
// Even-odd rule.
Shape Polygon(std::vector<Point> points);

Shape Union(std::vector<Shape> parts);
Shape Minus(Shape from, Shape cut);
Shape Intersect(Shape a, Shape b);
// Grown outwards by `by` (shrunk for a negative value).
Shape Grown(Shape s, double by);
// A band `width` wide centred on the shape's edge.
Shape Outline(Shape s, double width);
// Turned by `degrees` clockwise as seen on screen (y grows downwards) about `centre`.
Shape Rotated(Shape s, Point centre, double degrees);
Shape Translated(Shape s, double dx, double dy);

// Points of an elliptic arc, angles in degrees measured clockwise on screen from the
// positive x axis; `to` may be below `from` to run the other way.
std::vector<Point> Arc(Point centre, double rx, double ry, double from, double to);
std::vector<Point> Joined(std::vector<std::vector<Point>> pieces);

struct Rgba {
    double r, g, b, a;  // straight (not premultiplied) colour
};

class Canvas {
public:
    // width x height pixels showing unitsWide x unitsHigh drawing units.
    Canvas(int width, int height, double unitsWide, double unitsHigh, Rgba background);

    int Width() const { return width_; }
    int Height() const { return height_; }
    const Rgba& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

    // Paints the inside of the shape, coverage sampled 5 x 5 per pixel.
    void Fill(const Shape& shape, const Paint& paint, double opacity = 1);
    // A soft light that fades with the distance from the shape, as a trace on a
    // phosphor screen: opacity * exp(-(d / radius)^2) outside, full inside.
    void Glow(const Shape& shape, Rgb colour, double radius, double opacity);

private:
    void Blend(int x, int y, Rgb colour, double alpha);

    int width_, height_;
    double unitX_, unitY_;  // drawing units per pixel
    std::vector<Rgba> pixels_;
};

}  // namespace setupart
