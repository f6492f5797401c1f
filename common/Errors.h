#pragma once
// The program's two exception types. Messages are fixed UTF-8 texts that name the failed step;
// the application's default handler shows them to the user.
#include <stdexcept>
#include <string>

namespace nyarumi {

class Exception : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Raised when a stream ends early or holds bytes that cannot be what they claim to be.
class EReadError : public Exception {
public:
  using Exception::Exception;
};

// Fills each "%s" of a fixed message in turn; surplus placeholders stay as they are.
std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args);

} // namespace nyarumi
