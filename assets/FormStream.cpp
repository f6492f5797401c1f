#include "assets/FormStream.h"

#include "assets/Messages.h"
#include "assets/TextCodec.h"
#include "assets/Values.h"
#include "common/Errors.h"

#include <array>
#include <limits>

namespace nyarumi {
namespace {

// Deeper nesting than any form has; it keeps hostile input from exhausting the call stack.
constexpr int MAX_RECORD_DEPTH = 64;

enum Tag : std::uint8_t {
  TAG_INT8 = 2,
  TAG_INT16 = 3,
  TAG_INT32 = 4,
  TAG_STRING = 6,
  TAG_IDENT = 7,
  TAG_FALSE = 8,
  TAG_TRUE = 9,
  TAG_BINARY = 10,
  TAG_SET = 11,
  TAG_LSTRING = 12,
  TAG_WSTRING = 18,
  TAG_UTF8STRING = 20,
};

// Reads from a byte span; every read checks what remains, so a length field can never make it
// allocate or copy more than the input holds.
class TFormReader {
public:
  TFormReader(std::span<const std::uint8_t> ABytes, bool ABorrow)
      : FBytes(ABytes), FBorrow(ABorrow) {}

  TComponentRecord ReadRoot() {
    const auto signature = Take(4);
    static constexpr std::array<std::uint8_t, 4> TPF0{'T', 'P', 'F', '0'};
    if (!std::equal(signature.begin(), signature.end(), TPF0.begin())) {
      throw EReadError(MSG_INVALID_IMAGE);
    }
    return ReadRecord(0);
  }

private:
  std::span<const std::uint8_t> FBytes;
  bool FBorrow;
  std::size_t FPos = 0;

  std::size_t Remaining() const { return FBytes.size() - FPos; }

  std::span<const std::uint8_t> Take(std::uint64_t ACount) {
    if (ACount > Remaining()) {
      throw EReadError(MSG_READ_ERROR);
    }
    auto part = FBytes.subspan(FPos, static_cast<std::size_t>(ACount));
    FPos += static_cast<std::size_t>(ACount);
    return part;
  }

  std::uint8_t ReadByte() { return Take(1)[0]; }

  std::uint32_t ReadUInt(std::size_t ASize) {
    const auto b = Take(ASize);
    std::uint32_t u = 0;
    for (std::size_t i = ASize; i-- > 0;) {
      u = (u << 8) | b[i];
    }
    return u;
  }

  std::string ReadShortString() {
    const auto b = Take(ReadByte());
    return std::string(b.begin(), b.end());
  }

  TComponentRecord ReadRecord(int ADepth) {
    if (ADepth > MAX_RECORD_DEPTH) {
      throw EReadError(MSG_READ_ERROR);
    }
    // A prefix byte (inherited or ordered records) never occurs in our forms.
    if (Remaining() > 0 && (FBytes[FPos] & 0xF0) == 0xF0) {
      throw EReadError(MSG_READ_ERROR);
    }
    TComponentRecord record;
    record.ClassName = ReadShortString();
    record.Name = ReadShortString();
    for (std::string name = ReadShortString(); !name.empty(); name = ReadShortString()) {
      TValue value = ReadPropertyValue(record, name);
      record.Properties.emplace_back(std::move(name), std::move(value));
    }
    while (true) {
      if (Remaining() > 0 && FBytes[FPos] == 0) {
        ++FPos;
        break;
      }
      record.Children.push_back(ReadRecord(ADepth + 1));
    }
    return record;
  }

  // A value that cannot be decoded is reported with its property, as one a setter rejects is.
  TValue ReadPropertyValue(const TComponentRecord& ARecord, const std::string& AName) {
    try {
      return ReadValue();
    } catch (const EReadError& e) {
      throw EPropertyValueError(e.what(), ARecord.ClassName, ARecord.Name, AName);
    }
  }

  TValue ReadValue() {
    TValue v;
    v.Tag = ReadByte();
    switch (v.Tag) {
    case TAG_INT8:
      v.Integer = static_cast<std::int8_t>(ReadUInt(1));
      break;
    case TAG_INT16:
      v.Integer = static_cast<std::int16_t>(ReadUInt(2));
      break;
    case TAG_INT32:
      v.Integer = static_cast<std::int32_t>(ReadUInt(4));
      break;
    case TAG_STRING:
      v.Type = TValue::Kind::String;
      v.Text = ShiftJisToUtf8(Take(ReadByte()));
      break;
    case TAG_LSTRING:
      v.Type = TValue::Kind::String;
      v.Text = ShiftJisToUtf8(Take(ReadUInt(4)));
      break;
    case TAG_WSTRING:
      v.Type = TValue::Kind::String;
      v.Text = Utf16LeToUtf8(Take(std::uint64_t{ReadUInt(4)} * 2));
      break;
    case TAG_UTF8STRING: {
      v.Type = TValue::Kind::String;
      const auto b = Take(ReadUInt(4));
      v.Text.assign(b.begin(), b.end());
      if (!IsValidUtf8(v.Text)) {
        throw EReadError(MSG_READ_ERROR);
      }
      break;
    }
    case TAG_IDENT:
      v.Type = TValue::Kind::Ident;
      v.Text = ReadShortString();
      if (v.Text.empty()) { // names no member, colour, handler or component
        throw EReadError(MSG_INVALID_PROPERTY_VALUE);
      }
      break;
    case TAG_FALSE:
      v.Type = TValue::Kind::False;
      break;
    case TAG_TRUE:
      v.Type = TValue::Kind::True;
      break;
    case TAG_BINARY: {
      v.Type = TValue::Kind::Binary;
      const auto b = Take(ReadUInt(4));
      if (FBorrow) {
        v.Borrowed = b;
      } else {
        v.Bytes.assign(b.begin(), b.end());
      }
      break;
    }
    case TAG_SET:
      v.Type = TValue::Kind::Set;
      for (std::string m = ReadShortString(); !m.empty(); m = ReadShortString()) {
        v.Members.push_back(std::move(m));
      }
      break;
    default:
      throw EReadError(MSG_INVALID_PROPERTY_VALUE);
    }
    return v;
  }
};

class TFormWriter {
public:
  std::vector<std::uint8_t> Take() { return std::move(FOut); }

  void WriteSignature() { WriteRaw("TPF0"); }

  void WriteRecord(const TComponentRecord& ARecord) {
    if (ARecord.ClassName.size() >= 0xF0) { // its length byte would read back as a prefix
      throw Exception(MSG_INVALID_PROPERTY_VALUE);
    }
    WriteShortString(ARecord.ClassName);
    WriteShortString(ARecord.Name);
    for (const auto& [name, value] : ARecord.Properties) {
      if (name.empty()) {
        throw Exception(MSG_UNKNOWN_PROPERTY); // it would read back as the end of the list
      }
      WriteShortString(name);
      WriteValue(value);
    }
    FOut.push_back(0);
    for (const auto& child : ARecord.Children) {
      if (child.ClassName.empty()) { // it would read back as the end of the list
        throw Exception(MSG_INVALID_PROPERTY_VALUE);
      }
      WriteRecord(child);
    }
    FOut.push_back(0);
  }

private:
  std::vector<std::uint8_t> FOut;

  // Byte by byte: GCC 12 warns falsely about a range insert here once inlined.
  void WriteRaw(std::string_view ABytes) {
    for (const char c : ABytes) {
      FOut.push_back(static_cast<std::uint8_t>(c));
    }
  }

  void WriteUInt(std::uint32_t AValue, std::size_t ASize) {
    for (std::size_t i = 0; i < ASize; ++i) {
      FOut.push_back(static_cast<std::uint8_t>(AValue >> (8 * i)));
    }
  }

  void WriteCount(std::size_t ACount) {
    if (ACount > std::numeric_limits<std::int32_t>::max()) {
      throw Exception(MSG_INVALID_PROPERTY_VALUE);
    }
    WriteUInt(static_cast<std::uint32_t>(ACount), 4);
  }

  void WriteShortString(std::string_view AText) {
    if (AText.size() > 255) {
      throw Exception(MSG_INVALID_PROPERTY_VALUE);
    }
    FOut.push_back(static_cast<std::uint8_t>(AText.size()));
    WriteRaw(AText);
  }

  static std::uint8_t SmallestIntegerTag(std::int32_t AValue) {
    if (AValue >= -128 && AValue <= 127) {
      return TAG_INT8;
    }
    if (AValue >= -32768 && AValue <= 32767) {
      return TAG_INT16;
    }
    return TAG_INT32;
  }

  void WriteInteger(const TValue& AValue) {
    const std::uint8_t smallest = SmallestIntegerTag(AValue.Integer);
    // A requested tag is kept when it can hold the value (a wider tag always can).
    const std::uint8_t tag =
        IsTagOfKind(TValue::Kind::Integer, AValue.Tag) && AValue.Tag >= smallest ? AValue.Tag
                                                                                 : smallest;
    FOut.push_back(tag);
    WriteUInt(static_cast<std::uint32_t>(AValue.Integer), tag == TAG_INT8    ? 1
                                                          : tag == TAG_INT16 ? 2
                                                                             : 4);
  }

  static std::uint8_t ChooseStringTag(const std::string& AText) {
    if (IsPlainAscii(AText) && AText.size() <= 255) {
      return TAG_STRING;
    }
    return Utf16Length(AText) * 2 < AText.size() ? TAG_WSTRING : TAG_UTF8STRING;
  }

  void WriteString(const TValue& AValue) {
    if (!IsValidUtf8(AValue.Text)) {
      throw Exception(MSG_INVALID_PROPERTY_VALUE);
    }
    const std::uint8_t tag =
        IsTagOfKind(TValue::Kind::String, AValue.Tag) ? AValue.Tag : ChooseStringTag(AValue.Text);
    FOut.push_back(tag);
    switch (tag) {
    case TAG_STRING:
    case TAG_LSTRING: {
      const auto ansi = Utf8ToShiftJis(AValue.Text);
      if (!ansi || (tag == TAG_STRING && ansi->size() > 255)) {
        throw Exception(MSG_INVALID_PROPERTY_VALUE);
      }
      if (tag == TAG_STRING) {
        FOut.push_back(static_cast<std::uint8_t>(ansi->size()));
      } else {
        WriteCount(ansi->size());
      }
      WriteRaw(*ansi);
      break;
    }
    case TAG_WSTRING: {
      const std::string utf16 = Utf8ToUtf16Le(AValue.Text);
      WriteCount(utf16.size() / 2);
      WriteRaw(utf16);
      break;
    }
    default:
      WriteCount(AValue.Text.size());
      WriteRaw(AValue.Text);
      break;
    }
  }

  void WriteValue(const TValue& AValue) {
    switch (AValue.Type) {
    case TValue::Kind::Integer:
      WriteInteger(AValue);
      break;
    case TValue::Kind::String:
      WriteString(AValue);
      break;
    case TValue::Kind::Ident:
      if (AValue.Text.empty()) {
        throw Exception(MSG_INVALID_PROPERTY_VALUE);
      }
      FOut.push_back(TAG_IDENT);
      WriteShortString(AValue.Text);
      break;
    case TValue::Kind::False:
      FOut.push_back(TAG_FALSE);
      break;
    case TValue::Kind::True:
      FOut.push_back(TAG_TRUE);
      break;
    case TValue::Kind::Binary: {
      const auto bytes = AsBinary(AValue);
      FOut.push_back(TAG_BINARY);
      WriteCount(bytes.size());
      FOut.insert(FOut.end(), bytes.begin(), bytes.end());
      break;
    }
    case TValue::Kind::Set:
      FOut.push_back(TAG_SET);
      for (const auto& member : AValue.Members) {
        if (member.empty()) {
          throw Exception(MSG_INVALID_PROPERTY_VALUE); // it would end the set early
        }
        WriteShortString(member);
      }
      FOut.push_back(0);
      break;
    }
  }
};

} // namespace

TComponentRecord ReadFormStream(std::span<const std::uint8_t> ABytes) {
  return TFormReader(ABytes, false).ReadRoot();
}

TComponentRecord ReadFormStreamInPlace(std::span<const std::uint8_t> ABytes) {
  return TFormReader(ABytes, true).ReadRoot();
}

std::vector<std::uint8_t> WriteFormStream(const TComponentRecord& ARoot) {
  TFormWriter writer;
  writer.WriteSignature();
  writer.WriteRecord(ARoot);
  return writer.Take();
}

bool operator==(const TComponentRecord& A, const TComponentRecord& B) {
  return A.ClassName == B.ClassName && A.Name == B.Name && A.Properties == B.Properties &&
         A.Children == B.Children;
}

} // namespace nyarumi
