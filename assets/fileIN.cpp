#include "assets/fileIN.h"

#include "assets/FormLoader.h"
#include "assets/Messages.h"
#include "assets/TextCodec.h"
#include "assets/Values.h"
#include "common/Errors.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <vector>

namespace nyarumi {
namespace {

// The file name is UTF-8 text. Going through char8_t makes the path library decode it as
// UTF-8 on every system; a plain char name would be taken as the system's narrow code page,
// which is not UTF-8 on Windows.
std::filesystem::path PathOf(const std::string& AFileName) {
  return std::filesystem::path(std::u8string(AFileName.begin(), AFileName.end()));
}

// The whole file, or nothing when it cannot be opened or read to the end (a directory may
// open but fails to read).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& AFileName) {
  if (!IsValidUtf8(AFileName)) {
    return std::nullopt; // names no file: such a name cannot be decoded into a path
  }
  std::ifstream file(PathOf(AFileName), std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  char chunk[65536];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
    const auto got = static_cast<std::size_t>(file.gcount());
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (file.bad()) {
    return std::nullopt;
  }
  return bytes;
}

} // namespace

void TfileIN::ReadData(TMemoryStream& APayload) {
  const std::int32_t count = APayload.ReadInt32();
  Stream.Clear();
  if (count < 0) {
    throw EReadError(MSG_READ_ERROR);
  }
  std::vector<std::uint8_t> bytes(
      std::min<std::size_t>(static_cast<std::size_t>(count), APayload.Size()));
  if (bytes.size() != static_cast<std::size_t>(count)) {
    throw EReadError(MSG_READ_ERROR); // more counted than the whole payload holds
  }
  APayload.ReadBuffer(bytes);
  Stream.Write(bytes);
  Stream.SetPosition(0);
}

void TfileIN::WriteData(TMemoryStream& AOutput) {
  Stream.Clear();
  const auto bytes = ReadWholeFile(FileName);
  if (!bytes ||
      bytes->size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    AOutput.WriteInt32(0);
    return;
  }
  Stream.Write(*bytes);
  Stream.SetPosition(0);
  AOutput.WriteInt32(static_cast<std::int32_t>(bytes->size()));
  AOutput.Write(*bytes);
}

void TfileIN::WriteProperties(TComponentRecord& ARecord) {
  if (!FileName.empty()) {
    ARecord.Properties.emplace_back("FileName", StringValue(FileName));
  }
  ARecord.Properties.emplace_back("Left", IntegerValue(DesignInfo.Left));
  ARecord.Properties.emplace_back("Top", IntegerValue(DesignInfo.Top));
  if (HasData()) {
    TMemoryStream payload;
    WriteData(payload);
    ARecord.Properties.emplace_back("DATA",
                                    BinaryValue({payload.Bytes().begin(), payload.Bytes().end()}));
  }
}

void RegisterfileIN(TClassRegistry& ARegistry) {
  TClassInfo info;
  info.Name = "TfileIN";
  info.Create = [](TComponent* AOwner, TComponent*) -> TComponent* { return new TfileIN(AOwner); };
  info.Properties["FileName"] = [](TComponent& ATarget, const TValue& AValue, TLoadContext&) {
    static_cast<TfileIN&>(ATarget).FileName = AsString(AValue);
  };
  info.Properties["DATA"] = [](TComponent& ATarget, const TValue& AValue, TLoadContext&) {
    TMemoryStream payload = AsBinaryStream(AValue);
    static_cast<TfileIN&>(ATarget).ReadData(payload);
  };
  AddDesignPosition(info);
  ARegistry.Register(std::move(info));
}

} // namespace nyarumi
