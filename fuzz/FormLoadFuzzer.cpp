// Reads arbitrary bytes as a form stream and loads the tree into a form through a registry
// holding the real component classes, on the null platform. A rejected stream must end in a
// fixed message (possibly wrapped with the property it was read for); a loaded one must have
// created one component per record, in stream order, with the embedded bytes and pictures its
// stream holds. Either way, destroying the form must return every native resource.
#include "assets/Bitmap.h"
#include "assets/FormLoader.h"
#include "assets/FormStream.h"
#include "assets/Messages.h"
#include "assets/Values.h"
#include "assets/fileIN.h"
#include "common/Errors.h"
#include "fuzz/FuzzCheck.h"
#include "shell/HTLabel.h"
#include "shell/platform/null_platform.h"
#include "shell/window/Application.h"
#include "shell/window/Form.h"
#include "shell/window/Image.h"
#include "shell/window/Registration.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi::fuzz {
namespace {

// The handler names the program's two forms bind; any other name is not a method.
constexpr std::string_view HANDLERS[] = {"FormCreate",         "anmTimerTimer",
                                         "menuItemONTopClick", "menuItemAboutClick",
                                         "menuItemENDClick",   "Button1Click"};

class TfrmFUZZ final : public TForm {
public:
  using TForm::TForm;
  TNotifyEvent MethodAddress(std::string_view AName) override {
    for (std::string_view handler : HANDLERS) {
      if (AName == handler) {
        return [](TComponent*) {};
      }
    }
    return {};
  }
};

TClassRegistry MakeRegistry() {
  TClassRegistry registry;
  RegisterWindowClasses(registry);
  RegisterfileIN(registry);
  RegisterHTLabelClass(registry);
  for (const char* root : {"TfrmMAIN", "TfrmABUT"}) {
    TClassInfo info;
    info.Name = root;
    AddFormProperties(info);
    registry.Register(std::move(info));
  }
  return registry;
}

// "X.P の読み込み中のエラー : inner" gives "inner"; other texts stay as they are.
std::string_view InnerMessage(std::string_view AText) {
  static const std::string marker = " の読み込み中のエラー : ";
  const std::size_t at = AText.find(marker);
  return at == std::string_view::npos ? AText : AText.substr(at + marker.size());
}

// A name holding a NUL byte cuts what() short, so such messages cannot be checked whole.
bool HasNulInNames(const TComponentRecord& ARecord) {
  auto nul = [](const std::string& AText) { return AText.find('\0') != std::string::npos; };
  if (nul(ARecord.ClassName) || nul(ARecord.Name)) {
    return true;
  }
  for (const auto& [name, value] : ARecord.Properties) {
    if (nul(name) || (value.Type == TValue::Kind::Ident && nul(value.Text))) {
      return true;
    }
  }
  return std::any_of(ARecord.Children.begin(), ARecord.Children.end(), HasNulInNames);
}

void CheckLoadError(const Exception& AError) {
  const std::string_view inner = InnerMessage(AError.what());
  for (const char* fixed : {MSG_READ_ERROR, MSG_INVALID_IMAGE, MSG_INVALID_PROPERTY_VALUE,
                            MSG_UNKNOWN_PROPERTY, MSG_INVALID_BITMAP}) {
    if (inner == fixed) {
      return;
    }
  }
  const bool classMissing = inner.starts_with("クラス ") && inner.ends_with(" が見つかりません");
  if (!classMissing) {
    std::fprintf(stderr, "unexpected load error: %s\n", AError.what());
  }
  FUZZ_CHECK(classMissing);
}

const TValue* LastValue(const TComponentRecord& ARecord, std::string_view AName) {
  const TValue* found = nullptr;
  for (const auto& [name, value] : ARecord.Properties) {
    if (name == AName) {
      found = &value;
    }
  }
  return found;
}

// The records below the root in creation order, as the loader walks them. A hyperlink label
// builds its own link menu with two items right after itself: null entries stand for those.
void Flatten(const TComponentRecord& ARecord, std::vector<const TComponentRecord*>& AOut) {
  for (const TComponentRecord& child : ARecord.Children) {
    AOut.push_back(&child);
    if (child.ClassName == "THTLabel") {
      AOut.insert(AOut.end(), 3, nullptr);
    }
    Flatten(child, AOut);
  }
}

void CheckComponent(const TComponent& AComponent, const TComponentRecord& ARecord) {
  FUZZ_CHECK(AComponent.Name() == ARecord.Name);
  if (const auto* holder = dynamic_cast<const TfileIN*>(&AComponent)) {
    const TValue* data = LastValue(ARecord, "DATA");
    FUZZ_CHECK(holder->Stream.Position() == 0);
    if (data == nullptr) {
      FUZZ_CHECK(holder->Stream.Size() == 0);
    } else {
      // The payload is a 4-byte count n and at least n bytes; the stream holds those n.
      const std::vector<std::uint8_t>& payload = data->Bytes;
      FUZZ_CHECK(payload.size() >= 4);
      const std::size_t count = static_cast<std::size_t>(payload[0]) | payload[1] << 8 |
                                payload[2] << 16 | static_cast<std::size_t>(payload[3]) << 24;
      FUZZ_CHECK(holder->Stream.Size() == count && payload.size() - 4 >= count);
      FUZZ_CHECK(std::equal(holder->Stream.Bytes().begin(), holder->Stream.Bytes().end(),
                            payload.begin() + 4));
    }
  }
  if (const auto* image = dynamic_cast<const TImage*>(&AComponent)) {
    const TValue* data = LastValue(ARecord, "Picture.Data");
    if (data != nullptr) {
      // The load read this value once already, so it reads again without an error.
      const std::optional<TBitmap8> expected = ReadPictureValue(data->Bytes);
      const TBitmap8* shown = image->Picture().Indexed();
      if (!expected || expected->Pixels.empty()) {
        FUZZ_CHECK(image->Picture().Empty());
      } else {
        FUZZ_CHECK(shown != nullptr && shown->Width == expected->Width &&
                   shown->Height == expected->Height && shown->Palette == expected->Palette &&
                   shown->Pixels == expected->Pixels);
      }
    }
  }
}

void CheckLoad(std::span<const std::uint8_t> ABytes) {
  TComponentRecord tree;
  try {
    tree = ReadFormStream(ABytes);
  } catch (const EReadError& e) {
    CheckMessage(e, {MSG_READ_ERROR, MSG_INVALID_IMAGE, MSG_INVALID_PROPERTY_VALUE});
    return;
  }
  static const TClassRegistry registry = MakeRegistry();
  NullPlatform platform;
  {
    PlatformScope scope(platform);
    TApplication application;
    {
      TfrmFUZZ form(nullptr);
      bool loaded = true;
      try {
        LoadForm(form, tree, registry);
      } catch (const Exception& e) {
        if (!HasNulInNames(tree)) {
          CheckLoadError(e);
        }
        loaded = false;
      }
      if (loaded) {
        std::vector<const TComponentRecord*> records;
        Flatten(tree, records);
        FUZZ_CHECK(form.Components().size() == records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
          if (records[i] == nullptr) {
            FUZZ_CHECK(form.Components()[i]->Name().empty());
          } else {
            CheckComponent(*form.Components()[i], *records[i]);
          }
        }
      }
    }
    // Whatever the stream did, the form's end must have given every native resource back.
    FUZZ_CHECK(platform.LiveWindows() == 0 && platform.LiveButtons() == 0);
    FUZZ_CHECK(platform.LiveTimers() == 0 && platform.LiveRegions() == 0);
  }
}

} // namespace
} // namespace nyarumi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  nyarumi::fuzz::CheckLoad(std::span<const std::uint8_t>(AData, ASize));
  return 0;
}
