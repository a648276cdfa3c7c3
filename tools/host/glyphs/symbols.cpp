// The symbols, 192 x 192: polygons, stars, arrows, media and check marks, circle
// parts and signs.
#include "families.h"

namespace glyphs {

namespace {

constexpr double S = kSymbolSize, C = S / 2;

Corner Round(double r) { return {CornerKind::Round, r, r}; }

// The region shrunk (factor below 1) about the centre.
Region Scaled(Region r, double factor) {
    return [=](double x, double y) { return r(C + (x - C) / factor, C + (y - C) / factor); };
}

Region Turned(Region r, double degrees) { return Rotated(std::move(r), C, C, degrees); }

Region Disc() { return Ellipse(C, C, C, C); }

// A family whose members are listed one by one.
Family Listed(const char* name, std::vector<Region> (*list)()) {
    return {name, static_cast<int>(list().size()), [list](int i) { return list()[i]; }};
}

std::vector<Region> Polygons() {
    return {
        Polygon({{C, 0}, {S, S}, {0, S}}),  // pointing up, base on the bottom edge
        Polygon({{0, 0}, {S, C}, {0, S}}),
        Polygon({{0, 0}, {S, 0}, {C, S}}),
        Polygon({{S, 0}, {0, C}, {S, S}}),
        Box(16, 16, S - 16, S - 16),
        Polygon({{C, 0}, {S, C}, {C, S}, {0, C}}),
        Disc(),
        RegularPolygon(C, 100, 100, 5, 90),  // pentagon, a corner up
        RegularPolygon(C, C, C, 6, 90),
        RegularPolygon(C, C, C, 7, 90),
        RegularPolygon(C, C, C, 8, 22.5),
        RegularPolygon(C, C, C, 10, 90),
        RegularPolygon(C, C, C, 12, 15),
        RegularPolygon(C, 92, 100, 5, -90),
        RegularPolygon(C, C, C, 6, 0),
        RegularPolygon(C, C, C, 8, 90),
        RegularPolygon(C, 112, C, 3, 90),
    };
}

Region Stars(int i) {
    const int points[] = {4, 5, 6, 7, 8, 10, 12};
    return Star(C, C, C, C * (i % 2 ? 0.55 : 0.38), points[i / 2], 90);
}

Region BlockArrow() {
    return Union({Box(16, 72, 112, 120), Polygon({{104, 24}, {184, C}, {104, 168}})});
}
Region ChevronArrow() {
    return Polygon({{48, 16}, {80, 16}, {160, C}, {80, 176}, {48, 176}, {128, C}});
}
Region DoubleArrow() {
    return Union({Box(56, 76, 136, 116), Polygon({{64, 36}, {8, C}, {64, 156}}),
                  Polygon({{128, 36}, {184, C}, {128, 156}})});
}

// Eight directions of the block and chevron arrows, four of the double-headed ones,
// and the four main directions cut out of a disc.
Region Arrows(int i) {
    if (i < 8) return Turned(BlockArrow(), 45 * i);
    if (i < 16) return Turned(ChevronArrow(), 45 * (i - 8));
    if (i < 20) return Turned(DoubleArrow(), 45 * (i - 16));
    return Minus(Disc(), Scaled(Turned(BlockArrow(), 90 * (i - 20)), 0.7));
}

std::vector<Region> Media() {
    const Region next = Union({Polygon({{40, 48}, {128, C}, {40, 144}}), Box(128, 48, 152, 144)});
    const Region forward =
        Union({Polygon({{24, 48}, {C, C}, {24, 144}}), Polygon({{C, 48}, {168, C}, {C, 144}})});
    return {
        Polygon({{48, 32}, {160, C}, {48, 160}}),               // play
        Union({Box(48, 40, 84, 152), Box(108, 40, 144, 152)}),  // pause
        Box(40, 40, 152, 152, Same(Round(12))),                 // stop
        Ellipse(C, C, 60, 60),                                  // record
        forward,
        Turned(forward, 180),
        next,
        Turned(next, 180),
        Union({Polygon({{32, 112}, {C, 40}, {160, 112}}), Box(32, 128, 160, 152)}),  // eject
    };
}

std::vector<Region> Marks() {
    const Region check = Polygon({{20, 100}, {44, 76}, {76, 108}, {148, 36}, {172, 60}, {76, 156}});
    const Region bar = Box(16, 76, 176, 116);
    const Region cross = Union({Turned(bar, 45), Turned(bar, -45)});
    const Region plus = Union({bar, Turned(bar, 90)});
    std::vector<Region> marks = {check, cross, plus, bar};
    for (int k = 0; k < 4; ++k) marks.push_back(Minus(Disc(), Scaled(marks[k], 0.6)));
    return marks;
}

Region CircleParts(int i) {
    if (i < 3) return Minus(Disc(), Ellipse(C, C, 80 - 16 * i, 80 - 16 * i));  // rings
    const int turn = 90 * ((i - 3) % 4);
    if (i < 7) return Turned(Intersect(Ellipse(C, 144, C, C), Box(0, 0, S, 144)), turn);
    if (i < 11) return Turned(Intersect(Ellipse(8, 184, 176, 176), Box(8, 8, 184, 184)), turn);
    return Turned(Minus(Disc(), Box(C, 0, S, C)), turn);  // three quarters of a pie
}

Region Gear(int teeth) {
    std::vector<Region> parts = {Ellipse(C, C, 68, 68)};
    for (int k = 0; k < teeth; ++k) parts.push_back(Turned(Box(84, 4, 108, 40), 360.0 * k / teeth));
    return Minus(Union(std::move(parts)), Ellipse(C, C, 24, 24));
}

Region Sun() {
    std::vector<Region> parts = {Ellipse(C, C, 44, 44)};
    for (int k = 0; k < 8; ++k)
        parts.push_back(Turned(Polygon({{84, 40}, {108, 40}, {C, 2}}), 45 * k));
    return Union(std::move(parts));
}

std::vector<Region> Signs() {
    return {
        Union({Ellipse(56, 64, 48, 48), Ellipse(136, 64, 48, 48),
               Polygon({{12.5, 84.3}, {179.5, 84.3}, {C, 180}})}),                 // heart
        Minus(Ellipse(C, C, 88, 88), Ellipse(132, 80, 76, 76)),                    // crescent
        Union({Ellipse(C, 124, 60, 60), Polygon({{C, 8}, {44, 94}, {148, 94}})}),  // drop
        Union({Box(24, 16, 168, 100),
               Intersect(Ellipse(C, 100, 72, 84), Box(0, 100, S, S))}),  // shield
        Polygon({{C, 12}, {184, 92}, {160, 92}, {160, 180}, {32, 180}, {32, 92}, {8, 92}}),
        Union({Box(8, 24, 184, 136, Same(Round(28))), Polygon({{40, 130}, {80, 130}, {36, 180}})}),
        Gear(6),
        Gear(8),
        Gear(12),
        Sun(),
        Union({Ellipse(60, 116, 40, 40), Ellipse(104, 92, 52, 52), Ellipse(148, 120, 36, 36),
               Box(60, 116, 148, 156)}),  // cloud
        Polygon({{112, 4}, {36, 108}, {88, 108}, {72, 188}, {156, 80}, {104, 80}, {132, 4}}),
        Union({Minus(Ellipse(76, 76, 64, 64), Ellipse(76, 76, 44, 44)),
               Polygon({{116, 130}, {130, 116}, {184, 170}, {170, 184}})}),      // magnifier
        Polygon({{24, 8}, {168, 8}, {104, C}, {168, 184}, {24, 184}, {88, C}}),  // hourglass
        Polygon({{8, 24}, {C, 80}, {184, 24}, {184, 168}, {C, 112}, {8, 168}}),  // bow tie
        Union({Box(32, 84, 160, 180, Same(Round(10))),
               Minus(Box(56, 16, 136, 100, Some(1 | 2, Round(40))),
                     Box(80, 40, 112, 101, Some(1 | 2, Round(16))))}),  // padlock
    };
}

std::vector<Region> RoundedSquares() {
    return {Box(8, 8, S - 8, S - 8, Same(Round(24))), Box(8, 8, S - 8, S - 8, Same(Round(48))),
            Superellipse(C, C, C, C, 3), Superellipse(C, C, C, C, 5)};
}

Region DoubleChevron(int i) {
    const Region one = Polygon({{16, 16}, {48, 16}, {104, C}, {48, 176}, {16, 176}, {72, C}});
    return Turned(Union({one, Translated(one, 72, 0)}), 90 * i);
}

std::vector<Region> Sparkles() {
    return {Star(C, C, C, 22, 4, 90),
            Union({RegularPolygon(C, C, C, 3, 90), RegularPolygon(C, C, C, 3, -90)})};
}

}  // namespace

const std::vector<Family>& SymbolFamilies() {
    static const std::vector<Family> families = {
        Listed("polygons", Polygons),
        {"stars", 14, Stars},
        {"arrows", 24, Arrows},
        Listed("media", Media),
        Listed("marks", Marks),
        {"circle parts", 15, CircleParts},
        Listed("signs", Signs),
        Listed("rounded squares", RoundedSquares),
        {"double chevrons", 4, DoubleChevron},
        Listed("sparkles", Sparkles),
    };
    return families;
}

}  // namespace glyphs
