#include "assets/TextCodec.h"

#include "assets/Messages.h"
#include "assets/ShiftJis.h"
#include "common/Errors.h"

namespace nyarumi {
namespace {

void AppendUtf8(std::string& AOut, std::uint32_t ACode) {
  if (ACode < 0x80) {
    AOut += static_cast<char>(ACode);
  } else if (ACode < 0x800) {
    AOut += static_cast<char>(0xC0 | (ACode >> 6));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  } else if (ACode < 0x10000) {
    AOut += static_cast<char>(0xE0 | (ACode >> 12));
    AOut += static_cast<char>(0x80 | ((ACode >> 6) & 0x3F));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  } else {
    AOut += static_cast<char>(0xF0 | (ACode >> 18));
    AOut += static_cast<char>(0x80 | ((ACode >> 12) & 0x3F));
    AOut += static_cast<char>(0x80 | ((ACode >> 6) & 0x3F));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  }
}

// Decodes one code point of valid UTF-8 starting at AIndex, advancing it; -1 when invalid.
std::int64_t NextCodePoint(std::string_view AText, std::size_t& AIndex) {
  const auto lead = static_cast<std::uint8_t>(AText[AIndex]);
  std::size_t length = 0;
  std::uint32_t code = 0;
  std::uint32_t minimum = 0;
  if (lead < 0x80) {
    ++AIndex;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return -1;
  }
  if (AText.size() - AIndex < length) {
    return -1;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<std::uint8_t>(AText[AIndex + i]);
    if ((next & 0xC0) != 0x80) {
      return -1;
    }
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return -1;
  }
  AIndex += length;
  return code;
}

} // namespace

std::string ShiftJisToUtf8(std::span<const std::uint8_t> ABytes) {
  std::string_view raw(reinterpret_cast<const char*>(ABytes.data()), ABytes.size());
  if (IsPlainAscii(raw)) {
    return std::string(raw);
  }
  auto converted = ShiftJisDecode(raw);
  if (!converted) {
    throw EReadError(MSG_READ_ERROR);
  }
  return *converted;
}

std::optional<std::string> Utf8ToShiftJis(std::string_view AText) {
  if (IsPlainAscii(AText)) {
    return std::string(AText);
  }
  if (!IsValidUtf8(AText)) {
    return std::nullopt;
  }
  return ShiftJisEncode(AText);
}

std::string Utf16LeToUtf8(std::span<const std::uint8_t> ABytes) {
  if (ABytes.size() % 2 != 0) {
    throw EReadError(MSG_READ_ERROR);
  }
  std::string out;
  out.reserve(ABytes.size());
  const std::size_t units = ABytes.size() / 2;
  auto unitAt = [&](std::size_t i) {
    return static_cast<std::uint32_t>(ABytes[2 * i] | (ABytes[2 * i + 1] << 8));
  };
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t unit = unitAt(i);
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      throw EReadError(MSG_READ_ERROR); // a low surrogate without its high half
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 >= units || unitAt(i + 1) < 0xDC00 || unitAt(i + 1) > 0xDFFF) {
        throw EReadError(MSG_READ_ERROR);
      }
      unit = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
      ++i;
    }
    AppendUtf8(out, unit);
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view AText) {
  std::string out;
  std::size_t i = 0;
  auto put = [&](std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  };
  while (i < AText.size()) {
    const std::int64_t code = NextCodePoint(AText, i);
    if (code < 0) {
      throw Exception(MSG_INVALID_PROPERTY_VALUE);
    }
    if (code >= 0x10000) {
      const auto c = static_cast<std::uint32_t>(code) - 0x10000;
      put(0xD800 + (c >> 10));
      put(0xDC00 + (c & 0x3FF));
    } else {
      put(static_cast<std::uint32_t>(code));
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view AText) {
  std::size_t i = 0;
  while (i < AText.size()) {
    if (NextCodePoint(AText, i) < 0) {
      return false;
    }
  }
  return true;
}

bool IsPlainAscii(std::string_view AText) {
  for (char c : AText) {
    if (static_cast<std::uint8_t>(c) >= 0x80) {
      return false;
    }
  }
  return true;
}

std::size_t Utf16Length(std::string_view AText) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < AText.size()) {
    const std::int64_t code = NextCodePoint(AText, i);
    if (code < 0) {
      ++i; // not reached for valid input; keeps the count finite otherwise
    }
    units += code >= 0x10000 ? 2 : 1;
  }
  return units;
}

} // namespace nyarumi
