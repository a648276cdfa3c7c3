#include "raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace setupart {

namespace {

constexpr int kSamples = 5;  // per axis and pixel

double Length(double x, double y) { return std::hypot(x, y); }

double SegmentDistance(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0;
    t = std::clamp(t, 0.0, 1.0);
    return Length(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace

Rgb Hex(uint32_t rrggbb) {
    return {((rrggbb >> 16) & 0xFF) / 255.0, ((rrggbb >> 8) & 0xFF) / 255.0,
            (rrggbb & 0xFF) / 255.0};
}

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Paint Solid(Rgb c) {
    return [c](Point) { return c; };
}

Paint Linear(Point p0, Rgb c0, Point p1, Rgb c1) {
    const double dx = p1.x - p0.x, dy = p1.y - p0.y;
    const double lengthSquared = dx * dx + dy * dy;
    return [=](Point p) {
        const double t = ((p.x - p0.x) * dx + (p.y - p0.y) * dy) / lengthSquared;
        return Mix(c0, c1, std::clamp(t, 0.0, 1.0));
    };
}

Shape Disc(Point centre, double radius) {
    return [=](Point p) { return Length(p.x - centre.x, p.y - centre.y) - radius; };
}

Shape Ellipse(Point centre, double rx, double ry) {
    // The usual first-order estimate; exact on the axes, close enough elsewhere.
    return [=](Point p) {
        const double x = p.x - centre.x, y = p.y - centre.y;
        const double k0 = Length(x / rx, y / ry);
        const double k1 = Length(x / (rx * rx), y / (ry * ry));
        return k1 > 0 ? k0 * (k0 - 1) / k1 : -std::min(rx, ry);
    };
}

Shape Box(double left, double top, double right, double bottom, double radius) {
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
    return [=](Point p) {
        const double qx = std::abs(p.x - cx) - hx, qy = std::abs(p.y - cy) - hy;
        return Length(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) -
               radius;
    };
}

Shape Stroke(std::vector<Point> points, double width) {
    return [points = std::move(points), half = width / 2](Point p) {
        double d = points.size() == 1 ? Length(p.x - points[0].x, p.y - points[0].y) : 1e9;
        for (size_t i = 1; i < points.size(); ++i) {
            d = std::min(d, SegmentDistance(p, points[i - 1], points[i]));
        }
        return d - half;
    };
}

Shape Polygon(std::vector<Point> points) {
    return [points = std::move(points)](Point p) {
        double d = 1e9;
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const Point a = points[j], b = points[i];
            d = std::min(d, SegmentDistance(p, a, b));
            if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y)) {
                inside = !inside;
            }
        }
        return inside ? -d : d;
    };
}

Shape Union(std::vector<Shape> parts) {
    return [parts = std::move(parts)](Point p) {
        double d = 1e9;
        for (const Shape& part : parts) d = std::min(d, part(p));
        return d;
    };
}

Shape Minus(Shape from, Shape cut) {
    return [=](Point p) { return std::max(from(p), -cut(p)); };
}

Shape Intersect(Shape a, Shape b) {
    return [=](Point p) { return std::max(a(p), b(p)); };
}

Shape Grown(Shape s, double by) {
    return [=](Point p) { return s(p) - by; };
}

Shape Outline(Shape s, double width) {
    return [=](Point p) { return std::abs(s(p)) - width / 2; };
}

Shape Rotated(Shape s, Point centre, double degrees) {
    const double c = std::cos(Radians(degrees)), sn = std::sin(Radians(degrees));
    return [=](Point p) {
        const double x = p.x - centre.x, y = p.y - centre.y;
        return s({centre.x + c * x + sn * y, centre.y - sn * x + c * y});
    };
}

Shape Translated(Shape s, double dx, double dy) {
    return [=](Point p) { return s({p.x - dx, p.y - dy}); };
}

std::vector<Point> Arc(Point centre, double rx, double ry, double from, double to) {
    const int steps = std::max(4, static_cast<int>(std::abs(to - from) / 6));
    std::vector<Point> points;
    for (int i = 0; i <= steps; ++i) {
        const double a = Radians(from + (to - from) * i / steps);
        points.push_back({centre.x + rx * std::cos(a), centre.y + ry * std::sin(a)});
    }
    return points;
}

std::vector<Point> Joined(std::vector<std::vector<Point>> pieces) {
    std::vector<Point> out;
    for (const auto& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

Canvas::Canvas(int width, int height, double unitsWide, double unitsHigh, Rgba background)
    : width_(width),
      height_(height),
      unitX_(unitsWide / width),
      unitY_(unitsHigh / height),
      pixels_(static_cast<size_t>(width) * height, background) {}

void Canvas::Fill(const Shape& shape, const Paint& paint, double opacity) {
    // A pixel whose centre lies farther from the edge than its diagonal is wholly in or
    // out, which spares the sampling for all but the edge pixels.
    const double diagonal = Length(unitX_, unitY_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const Point centre{(x + 0.5) * unitX_, (y + 0.5) * unitY_};
            const double d = shape(centre);
            double coverage;
            if (d > diagonal) {
                continue;
            } else if (d < -diagonal) {
                coverage = 1;
            } else {
                int hits = 0;
                for (int sy = 0; sy < kSamples; ++sy) {
                    for (int sx = 0; sx < kSamples; ++sx) {
                        const Point p{(x + (sx + 0.5) / kSamples) * unitX_,
                                      (y + (sy + 0.5) / kSamples) * unitY_};
                        if (shape(p) <= 0) ++hits;
                    }
                }
                coverage = static_cast<double>(hits) / (kSamples * kSamples);
            }
            if (coverage > 0) Blend(x, y, paint(centre), coverage * opacity);
        }
    }
}

void Canvas::Glow(const Shape& shape, Rgb colour, double radius, double opacity) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double d = std::max(0.0, shape({(x + 0.5) * unitX_, (y + 0.5) * unitY_}));
            const double alpha = opacity * std::exp(-(d / radius) * (d / radius));
            if (alpha > 1.0 / 512) Blend(x, y, colour, alpha);
        }
    }
}

void Canvas::Blend(int x, int y, Rgb colour, double alpha) {
    Rgba& dst = pixels_[static_cast<size_t>(y) * width_ + x];
    const double a = alpha + dst.a * (1 - alpha);
    if (a <= 0) return;
    const double keep = dst.a * (1 - alpha);
    dst = {(colour.r * alpha + dst.r * keep) / a, (colour.g * alpha + dst.g * keep) / a,
           (colour.b * alpha + dst.b * keep) / a, a};
}

}  // namespace setupart
