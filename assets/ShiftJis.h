#pragma once
// The one place that knows how the platform converts Shift-JIS (code page 932) text. Each
// platform links exactly one implementation: iconv on Linux, the system code page on Windows.
#include <optional>
#include <string>
#include <string_view>

namespace nyarumi {

// Shift-JIS bytes to UTF-8; nullopt for an invalid or truncated sequence.
std::optional<std::string> ShiftJisDecode(std::string_view ABytes);
// Valid UTF-8 to Shift-JIS; nullopt when a character has no Shift-JIS form.
std::optional<std::string> ShiftJisEncode(std::string_view AText);

} // namespace nyarumi
