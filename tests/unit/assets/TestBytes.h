#pragma once
// Small builders for hand-made stream bytes in tests.
#include "assets/ClassRegistry.h"
#include "assets/FormStream.h"
#include "assets/Values.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi::test {

// GCC 12 warns falsely, once these are inlined, that growing a fresh vector writes past it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
class TBytes {
public:
  TBytes& Raw(std::initializer_list<int> ABytes) {
    for (int b : ABytes) {
      FData.push_back(static_cast<std::uint8_t>(b));
    }
    return *this;
  }
  TBytes& Text(std::string_view AText) {
    FData.insert(FData.end(), AText.begin(), AText.end());
    return *this;
  }
  TBytes& Short(std::string_view AText) {
    FData.push_back(static_cast<std::uint8_t>(AText.size()));
    return Text(AText);
  }
  TBytes& U32(std::uint32_t AValue) {
    for (int i = 0; i < 4; ++i) {
      FData.push_back(static_cast<std::uint8_t>(AValue >> (8 * i)));
    }
    return *this;
  }
  TBytes& Bytes(const std::vector<std::uint8_t>& ABytes) {
    FData.insert(FData.end(), ABytes.begin(), ABytes.end());
    return *this;
  }
  const std::vector<std::uint8_t>& Get() const { return FData; }

private:
  std::vector<std::uint8_t> FData;
};
#pragma GCC diagnostic pop

// A stream of one root "TfrmX"/"frmX" whose only property AName has the value bytes AValue.
inline std::vector<std::uint8_t> OneProperty(std::string_view AName,
                                             const std::vector<std::uint8_t>& AValue) {
  return TBytes()
      .Text("TPF0")
      .Short("TfrmX")
      .Short("frmX")
      .Short(AName)
      .Bytes(AValue)
      .Raw({0, 0})
      .Get();
}

} // namespace nyarumi::test
