// Shift-JIS conversion through glibc's iconv (CP932).
#include "assets/ShiftJis.h"
#include "common/Errors.h"

#include <cerrno>
#include <iconv.h>
#include <memory>
#include <vector>

namespace nyarumi {
namespace {

struct TIconvCloser {
  void operator()(void* AHandle) const { iconv_close(static_cast<iconv_t>(AHandle)); }
};

// Converts with iconv; empty when the input holds an invalid or unconvertible sequence.
std::optional<std::string> Convert(const char* ATo, const char* AFrom, std::string_view AInput) {
  iconv_t raw = iconv_open(ATo, AFrom);
  if (raw == reinterpret_cast<iconv_t>(-1)) {
    throw Exception(std::string("iconv: ") + AFrom + " -> " + ATo);
  }
  std::unique_ptr<void, TIconvCloser> handle(raw);
  std::string out;
  std::vector<char> in(AInput.begin(), AInput.end());
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char buffer[256];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t rc = iconv(raw, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      return std::nullopt; // EILSEQ or EINVAL (a truncated sequence)
    }
  }
  char* outPtr = buffer;
  std::size_t outLeft = sizeof buffer;
  if (iconv(raw, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
  return out;
}

} // namespace

std::optional<std::string> ShiftJisDecode(std::string_view ABytes) {
  return Convert("UTF-8", "CP932", ABytes);
}

std::optional<std::string> ShiftJisEncode(std::string_view AText) {
  return Convert("CP932", "UTF-8", AText);
}

} // namespace nyarumi
