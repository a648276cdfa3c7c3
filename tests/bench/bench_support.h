// What the benchmark programs share: a clock, medians, the --rounds option, and the
// side-by-side run of our code against a reference that does the same job by plain
// platform calls.
//
// Each comparison alternates the two (ours first in even rounds, the reference first in
// odd ones, so neither always meets a warm or a cold system) and prints the median of
// each and, as the ratio, the median of the rounds' own ratios: the two sides of a round
// run moments apart, so a machine that slows down or speeds up during a run moves both,
// and the ratio keeps still. One line of it is for tools/bench.py:
//
//   FIGURE|name|ours ms|reference ms|ratio|goal
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/win.h"

namespace bench {

inline double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / frequency;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The median over the rounds of ours[i] / reference[i].
inline double PairedRatio(const std::vector<double>& ours, const std::vector<double>& reference) {
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size() && i < reference.size(); ++i) {
        if (reference[i] > 0) ratios.push_back(ours[i] / reference[i]);
    }
    return Median(ratios);
}

inline void PrintFigure(const char* name, const std::vector<double>& ours,
                        const std::vector<double>& reference, double goal) {
    const double ratio = PairedRatio(ours, reference);
    const double oursMs = Median(ours);
    const double referenceMs = Median(reference);
    std::printf("%-44s ours %9.3f ms  reference %9.3f ms  ratio %5.2f  goal %4.2f\n", name, oursMs,
                referenceMs, ratio, goal);
    std::printf("FIGURE|%s|%.3f|%.3f|%.3f|%.2f\n", name, oursMs, referenceMs, ratio, goal);
    std::fflush(stdout);
}

// The number given with --rounds N (fewer for a quick look at a change), or the
// benchmark's own.
inline int Rounds(int argc, char** argv, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0) return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

inline bool HasOption(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0) return true;
    }
    return false;
}

// Runs ours() and reference() `rounds` times each, alternating, and prints the medians.
// Each returns the milliseconds of its own measured part (set-up left out).
template <typename Ours, typename Reference>
void Compare(const char* name, int rounds, double goal, Ours ours, Reference reference) {
    std::vector<double> a, b;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            a.push_back(ours());
            b.push_back(reference());
        } else {
            b.push_back(reference());
            a.push_back(ours());
        }
    }
    PrintFigure(name, a, b, goal);
}

// Compare with a second reference in the same rounds: the first one plus a known extra
// that our side pays and the plain one does not. The three take turns at going first.
// Prints ours against each reference.
template <typename Ours, typename Reference, typename Extended>
void CompareTwice(const char* name, double goal, const char* extendedName, double extendedGoal,
                  int rounds, Ours ours, Reference reference, Extended extended) {
    std::vector<double> a, b, c;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 3; ++turn) {
            switch ((round + turn) % 3) {
                case 0:
                    a.push_back(ours());
                    break;
                case 1:
                    b.push_back(reference());
                    break;
                default:
                    c.push_back(extended());
                    break;
            }
        }
    }
    PrintFigure(name, a, b, goal);
    PrintFigure(extendedName, a, c, extendedGoal);
}

}  // namespace bench
