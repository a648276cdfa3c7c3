// The button outlines, 160 x 60: corners of many kinds, ends, slants, notches and
// insets, each family a grid of parameters.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

#include "families.h"

namespace glyphs {

namespace {

constexpr double W = kOutlineWidth, H = kOutlineHeight;

// Corner masks that name a proper subset of the four corners (1 to 14).
constexpr int kSubsets = 14;

Region Full(const Corners& corners = {}) { return Box(0, 0, W, H, corners); }

Corner RoundCorner(double r) { return {CornerKind::Round, r, std::min(r, 28.0)}; }
Corner ChamferCorner(double c) { return {CornerKind::Chamfer, c, c}; }
Corner ScoopCorner(double r) { return {CornerKind::Scoop, r, r}; }
Corner StepCorner(double w, double h) { return {CornerKind::Step, w, h}; }

Region FlipH(Region r) {
    return [=](double x, double y) { return r(W - x, y); };
}
Region FlipV(Region r) {
    return [=](double x, double y) { return r(x, H - y); };
}

// The part of a box right of x = left, its end pointed out or notched in d deep.
Region PointedRight(double left, double d) {
    return Polygon({{left, 0}, {W - d, 0}, {W, H / 2}, {W - d, H}, {left, H}});
}
Region NotchedRight(double left, double d) {
    return Polygon({{left, 0}, {W, 0}, {W - d, H / 2}, {W, H}, {left, H}});
}

// The rounded rectangles: 202 loses three pixels at each corner; the radius grows by
// 2.5 each time, its height held at 28 so that four pixels of each side stay straight.
Region Rounded(int i) { return Full(Same(RoundCorner(2 + 2.5 * i))); }

// The four body styles of an arrow's blunt end.
Corner ArrowStyle(int k) {
    const Corner styles[] = {{}, RoundCorner(8), RoundCorner(16), ChamferCorner(8)};
    return styles[k];
}

Region Arrow(int i) {
    const Cell c = GridCell(i, 10);  // row: direction and style, column: depth
    const double d = 6 + 6 * c.column;
    if (c.row == 8)
        return Polygon({{d, 0}, {W - d, 0}, {W, H / 2}, {W - d, H}, {d, H}, {0, H / 2}});
    const Region right =
        Union({Box(0, 0, W - d, H, Some(1 | 8, ArrowStyle(c.row % 4))), PointedRight(W - d, d)});
    return c.row < 4 ? right : FlipH(right);
}

Region Chevron(int i) {
    const Cell c = GridCell(i, 10);
    const double d = 6 + 6 * c.column;
    switch (c.row) {
        case 0:  // breadcrumb pointing right
            return Polygon({{0, 0}, {W - d, 0}, {W, H / 2}, {W - d, H}, {0, H}, {d, H / 2}});
        case 1:
            return FlipH(Chevron(i - 10));
        case 2:  // swallowtail banner
            return Polygon({{0, 0}, {W, 0}, {W - d, H / 2}, {W, H}, {0, H}, {d, H / 2}});
        case 3:
            return NotchedRight(0, d);
        default:
            return FlipH(NotchedRight(0, d));
    }
}

Region Slanted(int i) {
    const Cell c = GridCell(i, 15);  // row: lean and corners, column: slant
    const double s = 4 + 4 * c.column;
    const double radii[] = {0, 6, 12};
    const Corners corners = Same(RoundCorner(radii[c.row % 3]));
    const Region leaning = Sheared(Box(0, 0, W - s, H, corners), s, H);
    return c.row < 3 ? leaning : FlipH(leaning);
}

Region TaperedBox(int i) {
    const Cell c = GridCell(i, 10);
    const double inset = 4 + 4 * c.column;
    const Corners corners = (c.row % 2) ? Same(RoundCorner(8)) : Corners{};
    const Region narrowTop = Tapered(Full(corners), W / 2, W / 2, inset, H);
    return c.row < 2 ? narrowTop : FlipV(narrowTop);
}

Region OneSlantedEnd(int i) {
    const Cell c = GridCell(i, 6);
    const double s = 8 + 8 * c.column;
    const Region rightNarrowTop = Polygon({{0, 0}, {W - s, 0}, {W, H}, {0, H}});
    const Region flips[] = {rightNarrowTop, FlipV(rightNarrowTop), FlipH(rightNarrowTop),
                            FlipH(FlipV(rightNarrowTop))};
    return flips[c.row];
}

Region Bitten(int i) {
    const Cell c = GridCell(i, 6);
    const double r = 4 + 4 * c.column;
    const Region left = Ellipse(0, H / 2, r, r), right = Ellipse(W, H / 2, r, r);
    const Region top = Ellipse(W / 2, 0, r, r), bottom = Ellipse(W / 2, H, r, r);
    const Region bites[] = {Union({left, right}), Union({top, bottom}),
                            Union({left, right, top, bottom}), left, right};
    return Minus(Full(), bites[c.row]);
}

Region VNotched(int i) {
    const Cell c = GridCell(i, 6);
    const double d = 4 + 4 * c.column;
    const Region top = Polygon({{W / 2 - d, -1}, {W / 2 + d, -1}, {W / 2, d}});
    const Region cuts[] = {Union({top, FlipV(top)}), top, FlipV(top)};
    return Minus(Full(), cuts[c.row]);
}

Region FolderTab(int i) {
    const Cell c = GridCell(i, 6);  // row: tab width, column: place and corners
    const double w = 40 + 20 * c.row;
    const double places[] = {0, (W - w) / 2, W - w};
    const double x = places[c.column % 3];
    const Corners corners = (c.column < 3) ? Corners{} : Some(1 | 2, RoundCorner(6));
    return Union({Box(0, 12, W, H), Box(x, 0, x + w, 13, corners)});
}

Region SpeechBubble(int i) {
    const Cell c = GridCell(i, 9);  // row: body radius and side, column: place and width
    const double tw = 12 + 8 * (c.column % 3);
    const double tips[] = {24, W / 2, W - 24};
    const double tip = tips[c.column / 3];
    const double baseLeft = c.column / 3 == 0 ? tip : (c.column / 3 == 1 ? tip - tw / 2 : tip - tw);
    const Region bubble = Union({Box(0, 0, W, H - 14, Same(RoundCorner((c.row % 2) ? 14 : 6))),
                                 Polygon({{baseLeft, H - 15}, {baseLeft + tw, H - 15}, {tip, H}})});
    return c.row < 2 ? bubble : FlipV(bubble);
}

// Top and bottom edges that follow a periodic profile of amplitude a (0 to 2a).
Region Edged(double a, double period, double (*profile)(double phase)) {
    return [=](double x, double y) {
        const double depth = a * profile(x / period);
        return x >= 0 && x <= W && y >= depth && y <= H - depth;
    };
}
double Wave(double phase) { return 1 + std::sin(2 * std::numbers::pi * phase); }
double Zigzag(double phase) { return 2 * std::fabs(2 * (phase - std::floor(phase)) - 1); }

Region EdgePattern(int i) {
    if (i < 30) {
        const Cell c = GridCell(i % 15, 5);
        const double periods[] = {10, 16, 20, 32, 40};
        return Edged(2 + c.row, periods[c.column], i < 15 ? Wave : Zigzag);
    }
    // Postage-stamp edges: bites at a regular spacing all round, and at the corners so
    // that no corner pixel is left standing alone.
    const Cell c = GridCell(i - 30, 4);
    const double spacing = 10 + 10 * c.row, r = 2 + c.column;
    std::vector<Region> bites = {Ellipse(0, 0, r, r), Ellipse(W, 0, r, r), Ellipse(0, H, r, r),
                                 Ellipse(W, H, r, r)};
    for (double x = spacing / 2; x < W; x += spacing) {
        bites.push_back(Ellipse(x, 0, r, r));
        bites.push_back(Ellipse(x, H, r, r));
    }
    for (double y = spacing / 2; y < H; y += spacing) {
        bites.push_back(Ellipse(0, y, r, r));
        bites.push_back(Ellipse(W, y, r, r));
    }
    return Minus(Full(), Union(std::move(bites)));
}

Region StaircaseEnds(int i) {
    const Cell c = GridCell(i, 4);
    const int steps = 2 + c.row;
    const double size = 4 + 2 * c.column;
    return [=](double x, double y) {
        const double level = std::floor(std::fabs(y - H / 2) * steps / (H / 2));
        return y >= 0 && y <= H && x >= level * size && x <= W - level * size;
    };
}

// Every mix of round, chamfered and scooped corners that uses at least two kinds.
Region MixedCorners(int i) {
    // Base-3 codes 1 to 79 without 40: codes 0, 40 and 80 use one kind only.
    int code = i + 1 + (i >= 39);
    const Corner kinds[] = {RoundCorner(12), ChamferCorner(12), ScoopCorner(12)};
    Corners corners(4);
    for (int k = 0; k < 4; ++k, code /= 3) corners[k] = kinds[code % 3];
    return Full(corners);
}

// One end a half circle, the other square, cut, rounded, pointed or notched.
Region CapsuleEnd(int i) {
    const Region pill = Box(0, 0, W / 2, H, Some(1 | 8, {CornerKind::Round, 30, 30}));
    const Region ends[] = {Box(W / 2, 0, W, H), Box(W / 2, 0, W, H, Some(2 | 4, ChamferCorner(12))),
                           Box(W / 2, 0, W, H, Some(2 | 4, RoundCorner(8))),
                           PointedRight(W / 2, 20), NotchedRight(W / 2, 20)};
    const Region capsule = Union({pill, ends[i % 5]});
    return i < 5 ? capsule : FlipH(capsule);
}

Region Inset(int i) {
    // Margins across and down (never both 0) and a corner radius.
    static const std::vector<std::tuple<double, double, double>> cells = [] {
        std::vector<std::tuple<double, double, double>> list;
        for (double mx = 0; mx <= 40; mx += 4) {
            for (double my = 0; my <= 12; my += 3) {
                if (mx == 0 && my == 0) continue;
                for (double r : {0.0, 6.0, 12.0}) list.emplace_back(mx, my, r);
            }
        }
        return list;
    }();
    const auto [mx, my, r] = cells[i];
    return Box(mx, my, W - mx, H - my, Same(RoundCorner(r)));
}

}  // namespace

const std::vector<Family>& OutlineFamilies() {
    static const std::vector<Family> families = {
        {"rounded", 13, Rounded},
        {"chamfered", 13, [](int i) { return Full(Same(ChamferCorner(3 + 2 * i))); }},
        {"some corners rounded", kSubsets * 7,
         [](int i) {
             const Cell c = GridCell(i, kSubsets);
             return Full(Some(c.column + 1, RoundCorner(4 + 4 * c.row)));
         }},
        {"some corners chamfered", kSubsets * 7,
         [](int i) {
             const Cell c = GridCell(i, kSubsets);
             return Full(Some(c.column + 1, ChamferCorner(4 + 4 * c.row)));
         }},
        {"scooped", 13, [](int i) { return Full(Same(ScoopCorner(3 + 2 * i))); }},
        {"some corners scooped", kSubsets * 3,
         [](int i) {
             const Cell c = GridCell(i, kSubsets);
             return Full(Some(c.column + 1, ScoopCorner(8 + 8 * c.row)));
         }},
        {"stepped", 13, [](int i) { return Full(Same(StepCorner(4 + 2 * i, 4 + 2 * i))); }},
        {"some corners stepped", kSubsets,
         [](int i) { return Full(Some(i + 1, StepCorner(10, 10))); }},
        {"one corner cut away", 40,
         [](int i) {
             const Cell c = GridCell(i, 10);  // row: corner, column: size
             return Full(
                 Some(1 << c.row, StepCorner(24 + 24 * (c.column % 5), 15 + 15 * (c.column / 5))));
         }},
        {"elliptic corners", 72,
         [](int i) {
             const Cell c = GridCell(i, 6);
             const double heights[] = {5, 10, 15, 20, 25, 29};
             return Full(Same({CornerKind::Round, 6.0 + 6 * c.row, heights[c.column]}));
         }},
        {"elliptic chamfers", 33,
         [](int i) {
             const Cell c = GridCell(i, 3);
             return Full(Same({CornerKind::Chamfer, 10.0 + 5 * c.row, 8.0 + 8 * c.column}));
         }},
        {"mixed corners", 78, MixedCorners},
        {"pills", 55,
         [](int i) {
             const Cell c = GridCell(i, 5);
             const double h = 60 - 4 * c.row, w = 160 - 20 * c.column;
             const double x = (W - w) / 2, y = (H - h) / 2;
             return Box(x, y, x + w, y + h, Same({CornerKind::Round, h / 2, h / 2}));
         }},
        {"capsule ends", 10, CapsuleEnd},
        {"ovals", 16,
         [](int i) {
             const Cell c = GridCell(i, 4);
             return Ellipse(W / 2, H / 2, 80 - 10 * c.row, 30 - 5 * c.column);
         }},
        {"superellipses", 11,
         [](int i) {
             const double exponents[] = {2.2, 2.5, 3, 3.5, 4, 5, 6, 8, 10, 14, 20};
             return Superellipse(W / 2, H / 2, W / 2, H / 2, exponents[i]);
         }},
        {"inset", 162, Inset},
        {"arrows", 90, Arrow},
        {"chevrons and notched ends", 50, Chevron},
        {"slanted", 90, Slanted},
        {"tapered", 40, TaperedBox},
        {"one slanted end", 24, OneSlantedEnd},
        {"bitten", 30, Bitten},
        {"v-notched", 18, VNotched},
        {"folder tabs", 18, FolderTab},
        {"speech bubbles", 36, SpeechBubble},
        {"edge patterns", 38, EdgePattern},
        {"staircase ends", 16, StaircaseEnds},
    };
    return families;
}

}  // namespace glyphs
