#include "assets/fileIN.h"

#include "assets/FormLoader.h"
#include "assets/Messages.h"
#include "assets/Values.h"
#include "common/Errors.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace nyarumi {
namespace {

struct TFileCloser {
  void operator()(std::FILE* AFile) const { std::fclose(AFile); }
};

// The whole file, or nothing when it cannot be opened or read to the end (a directory opens
// but fails to read).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& AFileName) {
  std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(AFileName.c_str(), "rb"));
  if (!file) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (std::ferror(file.get()) != 0) {
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
