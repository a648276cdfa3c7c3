#include "region.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace glyphs {

namespace {

constexpr double kHair = 1e-6;

// Inside test of one corner in its own coordinates: u and v are the distances from the
// box's corner point along the two edges, known to satisfy u < rx and v < ry.
bool InsideCorner(const Corner& c, double u, double v) {
    switch (c.kind) {
        case CornerKind::Square:
            return true;
        case CornerKind::Round: {
            const double du = (c.rx - u) / c.rx, dv = (c.ry - v) / c.ry;
            return du * du + dv * dv <= 1;
        }
        case CornerKind::Chamfer:
            return u / c.rx + v / c.ry >= 1;
        case CornerKind::Scoop: {
            const double du = u / c.rx, dv = v / c.ry;
            return du * du + dv * dv >= 1;
        }
        case CornerKind::Step:
            return false;
    }
    return true;
}

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace

Corners Same(Corner c) { return Corners(4, c); }

Corners Some(int mask, Corner c) {
    Corners corners(4);
    for (int i = 0; i < 4; ++i) {
        if (mask & (1 << i)) corners[i] = c;
    }
    return corners;
}

Region Box(double left, double top, double right, double bottom, const Corners& corners) {
    return [=](double x, double y) {
        if (x < left || x > right || y < top || y > bottom) return false;
        for (size_t i = 0; i < corners.size(); ++i) {
            const Corner& c = corners[i];
            if (c.kind == CornerKind::Square) continue;
            const double u = (i == 0 || i == 3) ? x - left : right - x;
            const double v = (i == 0 || i == 1) ? y - top : bottom - y;
            if (u < c.rx && v < c.ry && !InsideCorner(c, u, v)) return false;
        }
        return true;
    };
}

Region Ellipse(double cx, double cy, double rx, double ry) {
    return Superellipse(cx, cy, rx, ry, 2);
}

Region Superellipse(double cx, double cy, double rx, double ry, double exponent) {
    return [=](double x, double y) {
        return std::pow(std::fabs(x - cx) / rx, exponent) +
                   std::pow(std::fabs(y - cy) / ry, exponent) <=
               1;
    };
}

Region Polygon(std::vector<Point> points) {
    return [points = std::move(points)](double x, double y) {
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const Point& a = points[i];
            const Point& b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
                inside = !inside;
            }
        }
        return inside;
    };
}

Region RegularPolygon(double cx, double cy, double r, int sides, double degrees) {
    std::vector<Point> points;
    for (int k = 0; k < sides; ++k) {
        const double a = Radians(degrees + 360.0 * k / sides);
        points.push_back({cx + r * std::cos(a), cy - r * std::sin(a)});
    }
    return Polygon(std::move(points));
}

Region Star(double cx, double cy, double outer, double inner, int points, double degrees) {
    std::vector<Point> outline;
    for (int k = 0; k < 2 * points; ++k) {
        const double r = (k % 2) ? inner : outer;
        const double a = Radians(degrees + 180.0 * k / points);
        outline.push_back({cx + r * std::cos(a), cy - r * std::sin(a)});
    }
    return Polygon(std::move(outline));
}

Region Union(std::vector<Region> parts) {
    return [parts = std::move(parts)](double x, double y) {
        for (const Region& part : parts) {
            if (part(x, y)) return true;
        }
        return false;
    };
}

Region Minus(Region from, Region cut) {
    return [=](double x, double y) { return from(x, y) && !cut(x, y); };
}

Region Intersect(Region a, Region b) {
    return [=](double x, double y) { return a(x, y) && b(x, y); };
}

Region Rotated(Region r, double cx, double cy, double degrees) {
    const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
    // Turn the point back by the same angle (screen y points down).
    return [=](double x, double y) {
        const double dx = x - cx, dy = y - cy;
        return r(cx + dx * c - dy * s, cy + dx * s + dy * c);
    };
}

Region Sheared(Region r, double shift, double height) {
    return [=](double x, double y) { return r(x - shift * (height - y) / height, y); };
}

Region Tapered(Region r, double cx, double halfWidth, double inset, double height) {
    return [=](double x, double y) {
        const double half = halfWidth - inset * (height - y) / height;
        return half > 0 && r(cx + (x - cx) * halfWidth / half, y);
    };
}

Region Translated(Region r, double dx, double dy) {
    return [=](double x, double y) { return r(x - dx, y - dy); };
}

Mask Rasterize(const Region& region, int width, int height) {
    Mask mask{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double x0 = x + kHair, x1 = x + 1 - kHair;
            const double y0 = y + kHair, y1 = y + 1 - kHair;
            mask.inside[static_cast<size_t>(y) * width + x] =
                region(x0, y0) && region(x1, y0) && region(x0, y1) && region(x1, y1);
        }
    }
    return mask;
}

}  // namespace glyphs
