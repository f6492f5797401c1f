#pragma once
// Shared by the fuzz targets: a check that stops the run (libFuzzer then saves the input), and
// the test that a rejected input was rejected with one of the fixed messages.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <initializer_list>
#include <string_view>

// A macro so that the report names the failed condition and its line.
#define FUZZ_CHECK(condition)                                                                      \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);       \
      std::abort();                                                                                \
    }                                                                                              \
  } while (false)

namespace nyarumi::fuzz {

inline void CheckMessage(const std::exception& AError,
                         std::initializer_list<const char*> AAllowed) {
  for (const char* allowed : AAllowed) {
    if (std::string_view(AError.what()) == allowed) {
      return;
    }
  }
  std::fprintf(stderr, "unexpected error message: %s\n", AError.what());
  std::abort();
}

} // namespace nyarumi::fuzz
