// Linked into every Windows test program. Their output goes to a pipe, which the C runtime
// buffers in full, so a program that crashed would take everything it printed with it; unbuffered,
// the last test it began is always on record, and scripts/wine-run can tell a crash from a program
// that never started.
#include <cstdio>

namespace {
[[maybe_unused]] const int unbuffered = std::setvbuf(stdout, nullptr, _IONBF, 0);
} // namespace
