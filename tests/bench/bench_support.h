// What the benchmark programs share: a clock, medians, the --rounds option, and the
// side-by-side run of our code against a reference that does the same job by plain
// platform calls.
//
// Each comparison alternates the two (ours first in even rounds, the reference first in
// odd ones, so neither always meets a warm or a cold system), takes the median of each,
// and prints one line that tools/bench.py collects:
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

inline void PrintFigure(const char* name, double ours, double reference, double goal) {
    const double ratio = reference > 0 ? ours / reference : 0;
    std::printf("%-44s ours %9.3f ms  reference %9.3f ms  ratio %5.2f  goal %4.2f\n", name, ours,
                reference, ratio, goal);
    std::printf("FIGURE|%s|%.3f|%.3f|%.3f|%.2f\n", name, ours, reference, ratio, goal);
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
    PrintFigure(name, Median(a), Median(b), goal);
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
    PrintFigure(name, Median(a), Median(b), goal);
    PrintFigure(extendedName, Median(a), Median(c), extendedGoal);
}

}  // namespace bench
