#include "shell/window/Application.h"

#include "common/Errors.h"
#include "shell/platform/Platform.h"
#include "shell/window/Form.h"

#include <algorithm>

namespace nyarumi {

namespace {
// The application object is process-wide by nature, like the platform backend.
TApplication*& Current() {
  static TApplication* application = nullptr;
  return application;
}

// The code point that ends AText; 0 for an empty text.
char32_t LastCharacter(std::string_view AText) {
  if (AText.empty()) {
    return 0;
  }
  std::size_t start = AText.size() - 1;
  while (start > 0 && (static_cast<unsigned char>(AText[start]) & 0xC0) == 0x80) {
    --start;
  }
  const auto lead = static_cast<unsigned char>(AText[start]);
  const std::size_t length = AText.size() - start;
  char32_t c = lead < 0x80   ? lead
               : lead < 0xE0 ? lead & 0x1F
               : lead < 0xF0 ? lead & 0x0F
                             : lead & 0x07;
  for (std::size_t i = 1; i < length; ++i) {
    c = (c << 6) | (static_cast<unsigned char>(AText[start + i]) & 0x3F);
  }
  return c;
}
} // namespace

TApplication* CurrentApplication() {
  return Current();
}

TApplication& Application() {
  TApplication* app = Current();
  if (app == nullptr) {
    throw Exception("no application object");
  }
  return *app;
}

void DispatchEvent(const std::function<void()>& AHandler) {
  if (TApplication* app = Current()) {
    app->Dispatch(AHandler);
  } else {
    AHandler();
  }
}

std::string ErrorBoxText(std::string_view AMessage) {
  std::string text(AMessage);
  if (!AMessage.empty() && LastCharacter(AMessage) > U'.') {
    text += '.';
  }
  return text;
}

TApplication::TApplication() {
  Current() = this;
}

TApplication::~TApplication() {
  if (Current() == this) {
    Current() = nullptr;
  }
}

void TApplication::RegisterForm(TForm* AForm) {
  FForms.push_back(AForm);
}

void TApplication::UnregisterForm(TForm* AForm) {
  std::erase(FForms, AForm);
}

void TApplication::Run() {
  if (TForm* main = MainForm()) {
    Dispatch([main] { main->Show(); });
  }
  if (!FTerminated) {
    CurrentPlatform().Run();
  }
}

void TApplication::Terminate() {
  FTerminated = true;
  CurrentPlatform().Quit();
}

void TApplication::ProcessMessages() {
  ReleaseMarks(); // a handler that waits for its own changes to show
  CurrentPlatform().ProcessMessages();
}

void TApplication::SetShowTaskbarButton(bool AShow) {
  FShowTaskbarButton = AShow;
  TForm* main = MainForm();
  if (main != nullptr && main->HandleAllocated()) {
    CurrentPlatform().SetSkipTaskbar(main->Handle(), !AShow);
  }
}

void TApplication::Dispatch(const std::function<void()>& AHandler) {
  // Released however the handler ends, before an error is reported: the error box waits in an
  // event loop of its own.
  struct TRelease {
    TApplication& App;
    ~TRelease() {
      --App.FDispatching;
      App.ReleaseMarks();
    }
  };
  try {
    ++FDispatching;
    TRelease release{*this};
    AHandler();
  } catch (const std::exception& e) {
    HandleException(e);
  }
}

void TApplication::ReleaseMarks() {
  for (TForm* form : FForms) {
    form->ReleaseMarks();
  }
}

void TApplication::HandleException(const std::exception& AError) {
  if (OnException) {
    OnException(AError);
  } else {
    ShowException(AError);
  }
}

void TApplication::ShowException(const std::exception& AError) {
  CurrentPlatform().ShowErrorBox(ErrorBoxText(AError.what()), FTitle);
}

} // namespace nyarumi
