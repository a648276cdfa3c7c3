// Starting other programs through the shell.
#pragma once

#include <cstdint>

namespace rt {

// Starts file (a program, or a document with its associated program) with the
// parameters, through the shell's "open" verb, in a normal window, and does not wait
// for it. Always 0: the caller cannot tell whether it started.
int32_t RunProgram(const char* file, const char* parameters);

}  // namespace rt
