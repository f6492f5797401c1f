#pragma once
// Conversions between the encodings a form stream may use and the program's UTF-8 strings.
// Decoders raise the read error for bytes that are not what their encoding claims.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nyarumi {

std::string ShiftJisToUtf8(std::span<const std::uint8_t> ABytes);
// Empty when the text has a character that Shift-JIS (CP932) cannot hold.
std::optional<std::string> Utf8ToShiftJis(std::string_view AText);

std::string Utf16LeToUtf8(std::span<const std::uint8_t> ABytes);
std::string Utf8ToUtf16Le(std::string_view AText);

bool IsValidUtf8(std::string_view AText);
bool IsPlainAscii(std::string_view AText);
// The number of UTF-16 code units that AText (valid UTF-8) needs.
std::size_t Utf16Length(std::string_view AText);

} // namespace nyarumi
