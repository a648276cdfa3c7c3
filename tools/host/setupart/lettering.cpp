#include "lettering.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace setupart {

namespace {

// Centre lines of the strokes in a box one unit high: y = 0 is the top of a capital,
// y = 1 the baseline; x runs from 0 to `width`.
struct Glyph {
    double width;
    std::vector<std::vector<Point>> strokes;
};

constexpr double kBlankWidth = 0.32;  // of the cap height

const std::map<char, Glyph>& Glyphs() {
    static const std::map<char, Glyph> glyphs = {
        {'A', {0.74, {{{0, 1}, {0.37, 0}, {0.74, 1}}, {{0.16, 0.66}, {0.58, 0.66}}}}},
        {'B',
         {0.58,
          {{{0, 0}, {0, 1}},
           Joined({{{0, 0}}, Arc({0.28, 0.24}, 0.24, 0.24, -90, 90), {{0, 0.48}}}),
           Joined({{{0, 0.48}}, Arc({0.32, 0.74}, 0.26, 0.26, -90, 90), {{0, 1}}})}}},
        {'D',
         {0.66,
          {{{0, 0}, {0, 1}}, Joined({{{0, 0}}, Arc({0.22, 0.5}, 0.44, 0.5, -90, 90), {{0, 1}}})}}},
        {'E', {0.5, {{{0.5, 0}, {0, 0}, {0, 1}, {0.5, 1}}, {{0, 0.5}, {0.42, 0.5}}}}},
        {'I', {0, {{{0, 0}, {0, 1}}}}},
        {'K', {0.58, {{{0, 0}, {0, 1}}, {{0.56, 0}, {0.02, 0.56}}, {{0.21, 0.38}, {0.58, 1}}}}},
        {'L', {0.46, {{{0, 0}, {0, 1}, {0.46, 1}}}}},
        {'M', {0.76, {{{0, 1}, {0, 0}, {0.38, 0.72}, {0.76, 0}, {0.76, 1}}}}},
        {'N', {0.62, {{{0, 1}, {0, 0}, {0.62, 1}, {0.62, 0}}}}},
        {'O', {0.9, {Arc({0.45, 0.5}, 0.45, 0.5, 0, 360)}}},
        {'P',
         {0.54, {Joined({{{0, 1}, {0, 0}}, Arc({0.28, 0.26}, 0.26, 0.26, -90, 90), {{0, 0.52}}})}}},
        {'Q', {0.92, {Arc({0.45, 0.5}, 0.45, 0.5, 0, 360), {{0.6, 0.72}, {0.92, 1.02}}}}},
        {'R',
         {0.56,
          {Joined({{{0, 1}, {0, 0}}, Arc({0.28, 0.26}, 0.26, 0.26, -90, 90), {{0, 0.52}}}),
           {{0.26, 0.52}, {0.56, 1}}}}},
        {'U', {0.62, {Joined({{{0, 0}}, Arc({0.31, 0.66}, 0.31, 0.34, 180, 0), {{0.62, 0}}})}}},
        {'V', {0.68, {{{0, 0}, {0.34, 1}, {0.68, 0}}}}},
        {'X', {0.6, {{{0, 0}, {0.6, 1}}, {{0.6, 0}, {0, 1}}}}},
    };
    return glyphs;
}

const Glyph& GlyphOf(char c) {
    const auto found = Glyphs().find(c);
    if (found == Glyphs().end()) {
        throw std::invalid_argument(std::string("the lettering has no '") + c + "'");
    }
    return found->second;
}

// The outer width of one character, without tracking.
double Advance(char c, const Lettering& style) {
    if (c == ' ') return kBlankWidth * style.capHeight;
    return GlyphOf(c).width * (style.capHeight - style.weight) + style.weight;
}

}  // namespace

double LetteredWidth(std::string_view text, const Lettering& style) {
    double width = 0;
    for (char c : text) width += Advance(c, style) + style.tracking;
    return text.empty() ? 0 : width - style.tracking;
}

Shape Letter(std::string_view text, const Lettering& style, double left, double top) {
    const double scale = style.capHeight - style.weight;
    const double inset = style.weight / 2;
    std::vector<Shape> strokes;
    double x = left;
    for (char c : text) {
        if (c != ' ') {
            for (const auto& line : GlyphOf(c).strokes) {
                std::vector<Point> placed;
                for (Point p : line) {
                    placed.push_back({x + inset + p.x * scale, top + inset + p.y * scale});
                }
                strokes.push_back(Stroke(std::move(placed), style.weight));
            }
        }
        x += Advance(c, style) + style.tracking;
    }
    return Union(std::move(strokes));
}

}  // namespace setupart
