// Shift-JIS conversion through the system's code page 932.
#include "assets/ShiftJis.h"

#include <windows.h>

#include <climits>
#include <string>

namespace nyarumi {
namespace {

constexpr UINT CodePage932 = 932;

// Code points that glibc's CP932 writes but the system code page refuses. Each has a
// look-alike in the code page that Windows itself reads back from the same bytes, so writing
// those bytes keeps a text written on one system readable on the other.
struct TLookAlike {
  wchar_t From;
  wchar_t To;
};
constexpr TLookAlike LookAlikes[] = {
    {L'\u00A5', L'\u005C'}, // YEN SIGN -> the single byte 0x5C
    {L'\u203E', L'\u007E'}, // OVERLINE -> the single byte 0x7E
    {L'\u2014', L'\u2015'}, // EM DASH -> HORIZONTAL BAR (0x815C)
    {L'\u2016', L'\u2225'}, // DOUBLE VERTICAL LINE -> PARALLEL TO (0x8161)
    {L'\u2212', L'\uFF0D'}, // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS (0x817C)
    {L'\u301C', L'\uFF5E'}, // WAVE DASH -> FULLWIDTH TILDE (0x8160)
    {L'\u00A2', L'\uFFE0'}, // CENT SIGN -> FULLWIDTH CENT SIGN (0x8191)
    {L'\u00A3', L'\uFFE1'}, // POUND SIGN -> FULLWIDTH POUND SIGN (0x8192)
    {L'\u00AC', L'\uFFE2'}, // NOT SIGN -> FULLWIDTH NOT SIGN (0x81CA)
};

std::optional<std::wstring> Widen(UINT ACodePage, std::string_view ABytes) {
  if (ABytes.empty()) {
    return std::wstring();
  }
  if (ABytes.size() > static_cast<std::size_t>(INT_MAX)) {
    return std::nullopt;
  }
  const int inSize = static_cast<int>(ABytes.size());
  const int size =
      MultiByteToWideChar(ACodePage, MB_ERR_INVALID_CHARS, ABytes.data(), inSize, nullptr, 0);
  if (size <= 0) {
    return std::nullopt;
  }
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(ACodePage, MB_ERR_INVALID_CHARS, ABytes.data(), inSize, wide.data(), size);
  return wide;
}

// UTF-16 to a code page; nullopt when a character has no exact form there.
std::optional<std::string> Narrow(UINT ACodePage, const std::wstring& AWide) {
  if (AWide.empty()) {
    return std::string();
  }
  const int inSize = static_cast<int>(AWide.size());
  // CP_UTF8 takes no best-fit flag and reports failure through its own error flag instead.
  const DWORD flags = ACodePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = ACodePage == CP_UTF8 ? nullptr : &usedDefault;
  const int size = WideCharToMultiByte(ACodePage, flags, AWide.data(), inSize, nullptr, 0, nullptr,
                                       usedDefaultOut);
  if (size <= 0 || usedDefault) {
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(ACodePage, flags, AWide.data(), inSize, bytes.data(), size, nullptr,
                      usedDefaultOut);
  return bytes;
}

} // namespace

std::optional<std::string> ShiftJisDecode(std::string_view ABytes) {
  // The system code page maps the lone byte 0x80 to U+0080 where glibc refuses it; a stray
  // 0x80 is no Shift-JIS text, so it is refused here too.
  if (ABytes.find('\x80') != std::string_view::npos) {
    for (std::size_t i = 0; i < ABytes.size(); ++i) {
      const auto byte = static_cast<unsigned char>(ABytes[i]);
      if (byte == 0x80) {
        return std::nullopt;
      }
      const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
      if (lead) {
        ++i; // a trail byte of 0x80 is part of a character
      }
    }
  }
  const auto wide = Widen(CodePage932, ABytes);
  if (!wide) {
    return std::nullopt;
  }
  return Narrow(CP_UTF8, *wide);
}

std::optional<std::string> ShiftJisEncode(std::string_view AText) {
  auto wide = Widen(CP_UTF8, AText);
  if (!wide) {
    return std::nullopt;
  }
  for (wchar_t& c : *wide) {
    for (const TLookAlike& l : LookAlikes) {
      if (c == l.From) {
        c = l.To;
        break;
      }
    }
  }
  return Narrow(CodePage932, *wide);
}

} // namespace nyarumi
