#include "artwork.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>
#include <utility>

#include "lettering.h"

namespace setupart {

namespace {

constexpr Rgba kBlack{0, 0, 0, 1};
constexpr Rgba kClear{0, 0, 0, 0};

// The page shows the 285 x 285 logo squeezed to 300 x 145, so it is drawn in those units.
constexpr int kLogoPixels = 285;
constexpr double kLogoWide = 300, kLogoHigh = 145;

const Rgb kTraceRed = Hex(0xE8231C);
const Rgb kSteelLight = Hex(0xF2F4F7);
const Rgb kSteelDark = Hex(0x8E959F);

Rgba Opaque(Rgb c) { return {c.r, c.g, c.b, 1}; }

// A heartbeat on a flat line: a small rounded wave, the sharp beat, a broad wave.
std::vector<Point> HeartbeatTrace() {
    const double base = 41;
    const auto wave = [](double x, double centre, double width, double height) {
        return height * std::exp(-((x - centre) / width) * ((x - centre) / width));
    };
    std::vector<Point> points;
    const auto line = [&](double from, double to) {
        for (double x = from; x <= to; ++x) {
            points.push_back({x, base - wave(x, 104, 6, 6) - wave(x, 182, 9, 9)});
        }
    };
    line(16, 123);
    for (Point p : {Point{124, base}, {129, base + 6}, {137, base - 31}, {145, base + 20}}) {
        points.push_back(p);
    }
    line(151, 284);
    return points;
}

// Centred lettering with its top at `top`.
Shape CentredText(const char* text, const Lettering& style, double top) {
    return Letter(text, style, (kLogoWide - LetteredWidth(text, style)) / 2, top);
}

}  // namespace

Canvas Logo() {
    Canvas c(kLogoPixels, kLogoPixels, kLogoWide, kLogoHigh, kBlack);

    const Shape trace = Stroke(HeartbeatTrace(), 3.2);
    c.Glow(trace, kTraceRed, 7, 0.38);
    c.Fill(trace, Solid(kTraceRed));
    c.Fill(Stroke(HeartbeatTrace(), 1.1), Solid(Hex(0xFF9A8F)), 0.8);

    const Lettering name{34, 6.4, 3.2};
    c.Fill(CentredText("BRINDLEMARK", name, 77),
           Linear({0, 77}, Hex(0xFFFFFF), {0, 111}, Hex(0xD4D8DE)));

    const Lettering product{11, 1.9, 4.6};
    const char* productText = "QUORVEX PLENAR";
    const double half = LetteredWidth(productText, product) / 2;
    c.Fill(CentredText(productText, product, 122), Solid(Hex(0xC3C8D0)));
    const double rule = 127.5, gap = 10, mid = kLogoWide / 2;
    c.Fill(Union({Stroke({{22, rule}, {mid - half - gap, rule}}, 1.4),
                  Stroke({{mid + half + gap, rule}, {kLogoWide - 22, rule}}, 1.4)}),
           Solid(kTraceRed));
    return c;
}

Canvas SetupIcon(int size) {
    Canvas c(size, size, 1, 1, kClear);
    const double px = 1.0 / size;

    // Monitor: a silver case round a blue screen, on a short stand.
    c.Fill(Polygon({{0.37, 0.66}, {0.51, 0.66}, {0.54, 0.80}, {0.34, 0.80}}), Solid(Hex(0x8A9099)));
    c.Fill(Box(0.20, 0.78, 0.68, 0.87, 0.03),
           Linear({0, 0.78}, Hex(0xDDE0E5), {0, 0.87}, Hex(0x8C939C)));
    c.Fill(Box(0.02, 0.08, 0.86, 0.68, 0.07),
           Linear({0, 0.08}, Hex(0xF5F6F8), {0, 0.68}, Hex(0xA3A9B2)));
    const Shape screen = Box(0.09, 0.15, 0.79, 0.59, 0.025);
    c.Fill(screen, Linear({0.09, 0.15}, Hex(0x5AA8F5), {0.79, 0.59}, Hex(0x0F3A8A)));
    c.Fill(Intersect(screen, Polygon({{0.09, 0.15}, {0.50, 0.15}, {0.09, 0.47}})),
           Solid(Hex(0xFFFFFF)), 0.16);

    // Disc in front of the monitor's lower right corner, its colours turning with the
    // angle as light on a disc does.
    const Point centre{0.70, 0.70};
    const double radius = 0.285;
    const Paint sheen = [centre](Point p) {
        const double a = std::atan2(p.y - centre.y, p.x - centre.x);
        const Rgb silver = Mix(Hex(0xC2C7CF), Hex(0xFAFBFC), 0.5 + 0.5 * std::cos(2 * a + 0.6));
        const Rgb tint{0.5 + 0.5 * std::cos(2 * a), 0.5 + 0.5 * std::cos(2 * a - 2.1),
                       0.5 + 0.5 * std::cos(2 * a + 2.1)};
        return Mix(silver, tint, 0.22);
    };
    const Shape hole = Disc(centre, 0.06);
    c.Fill(Minus(Disc(centre, radius + std::max(px, 0.03)), hole), Solid(Hex(0x2A2D33)));
    c.Fill(Minus(Disc(centre, radius), hole), sheen);
    c.Fill(Minus(Disc(centre, 0.125), hole), Solid(Hex(0xE9ECF0)));
    c.Fill(Outline(Disc(centre, 0.125), std::max(px, 0.02)), Solid(Hex(0x9AA1AB)));
    return c;
}

Canvas ProgramIcon(int size) {
    Canvas c(size, size, 1, 1, kClear);
    const double px = 1.0 / size;

    const Shape tile = Box(0.02, 0.02, 0.98, 0.98, 0.2);
    c.Fill(tile, Linear({0, 0}, Hex(0x3A4049), {0, 1}, Hex(0x101215)));
    c.Fill(Outline(Grown(tile, -px / 2), px), Solid(Hex(0x5A616C)));

    // A dashboard gauge: a dial open at the bottom, its last stretch red, the needle
    // leaning into it.
    const Point hub{0.5, 0.56};
    const double dial = 0.35, width = std::max(0.08, 1.6 * px);
    c.Fill(Stroke(Arc(hub, dial, dial, 135, 340), width), Solid(Hex(0xE4E7EB)));
    c.Fill(Stroke(Arc(hub, dial, dial, 352, 405), width), Solid(Hex(0xFF3B30)));
    if (size >= 32) {
        std::vector<Shape> ticks;
        for (double a = 135; a <= 405; a += 45) {
            const double r = a * std::numbers::pi / 180;
            ticks.push_back(Stroke({{hub.x + 0.21 * std::cos(r), hub.y + 0.21 * std::sin(r)},
                                    {hub.x + 0.26 * std::cos(r), hub.y + 0.26 * std::sin(r)}},
                                   std::max(0.035, px)));
        }
        c.Fill(Union(std::move(ticks)), Solid(Hex(0x9AA1AB)));
    }
    const double needle = 318 * std::numbers::pi / 180;
    c.Fill(Stroke({hub, {hub.x + 0.29 * std::cos(needle), hub.y + 0.29 * std::sin(needle)}},
                  std::max(0.075, 1.7 * px)),
           Solid(Hex(0xFF3B30)));
    c.Fill(Disc(hub, std::max(0.075, 1.3 * px)), Solid(Hex(0xE4E7EB)));
    return c;
}

Canvas Tools() {
    constexpr double kSize = 40;
    const Point centre{kSize / 2, kSize / 2};
    Canvas c(40, 40, kSize, kSize, kBlack);

    // Both tools are drawn lying along the x axis through the centre, then turned.
    const auto across = [&](double degrees, double halfWidth) {
        const double a = degrees * std::numbers::pi / 180;
        const double nx = -std::sin(a) * halfWidth, ny = std::cos(a) * halfWidth;
        return std::pair<Point, Point>{{centre.x - nx, centre.y - ny},
                                       {centre.x + nx, centre.y + ny}};
    };
    const auto place = [&](Shape s, double degrees) {
        return Rotated(Translated(std::move(s), centre.x, centre.y), centre, degrees);
    };

    // Wrench from lower left to upper right: an open jaw at the top, a ring at the foot.
    const double wrenchTurn = -45;
    const Shape jaw = Union({Box(11, -2.7, 30, 2.7), Disc({11, 0}, 2.7)});
    const Shape wrench =
        place(Union({Box(-12, -2.3, 10, 2.3, 2.3), Minus(Disc({11.5, 0}, 6.4), jaw),
                     Minus(Disc({-12.5, 0}, 4.7), Disc({-12.5, 0}, 2.2))}),
              wrenchTurn);
    auto [light, dark] = across(wrenchTurn, 4);
    c.Fill(wrench, Linear(light, kSteelLight, dark, kSteelDark));

    // Screwdriver from upper left to lower right, its red handle at the foot, parted from
    // the wrench by a thin black gap where it lies on top.
    const double driverTurn = 45;
    const Shape handle = place(Box(6.5, -4.2, 19.5, 4.2, 3.6), driverTurn);
    const Shape metal = place(Union({Box(-9.5, -1.4, 7, 1.4), Box(3.5, -2.4, 7.2, 2.4, 0.8),
                                     Polygon({{-8, -1.4},
                                              {-11.5, -2.1},
                                              {-14.5, -1.3},
                                              {-14.5, 1.3},
                                              {-11.5, 2.1},
                                              {-8, 1.4}})}),
                              driverTurn);
    c.Fill(Grown(Union({handle, metal}), 1.3), Solid(Hex(0x000000)));
    std::tie(light, dark) = across(driverTurn, 3);
    c.Fill(metal, Linear(light, kSteelLight, dark, kSteelDark));
    std::tie(light, dark) = across(driverTurn, 4.2);
    c.Fill(handle, Linear(light, Hex(0xFF6A5C), dark, Hex(0xA8140D)));
    c.Fill(
        place(Union({Box(9.5, -2.1, 17.5, -1.1, 0.5), Box(9.5, 1.1, 17.5, 2.1, 0.5)}), driverTurn),
        Solid(Hex(0x7A0E09)), 0.7);
    return c;
}

Canvas Tick(Rgb ground) {
    Canvas c(16, 16, 16, 16, Opaque(ground));
    c.Fill(Stroke({{3.3, 8.4}, {6.5, 11.6}, {12.7, 4.5}}, 2.7),
           Linear({0, 4}, Hex(0x5EE46E), {0, 12}, Hex(0x1E9E36)));
    return c;
}

Canvas Cross(Rgb ground) {
    Canvas c(16, 16, 16, 16, Opaque(ground));
    c.Fill(
        Union({Stroke({{4.2, 4.2}, {11.8, 11.8}}, 2.6), Stroke({{11.8, 4.2}, {4.2, 11.8}}, 2.6)}),
        Linear({0, 4}, Hex(0xF4544A), {0, 12}, Hex(0xC01B12)));
    return c;
}

std::vector<std::string> BarRows() {
    return {
        ".............",  //
        ".............",  //
        ".............",  //
        ".............",  //
        ".............",  //
        ".###########.",  //
        ".###########.",  //
        ".###########.",  //
        ".............",  //
        ".............",  //
        ".............",  //
        ".............",  //
        ".............",  //
    };
}

std::vector<std::string> TickRows() {
    return {
        ".............",  //
        ".............",  //
        "..........##.",  //
        ".........###.",  //
        "........###..",  //
        ".##....###...",  //
        ".###..###....",  //
        "..######.....",  //
        "...####......",  //
        "....##.......",  //
        ".............",  //
        ".............",  //
        ".............",  //
    };
}

}  // namespace setupart
