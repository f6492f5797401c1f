#pragma once
// The application object: the program's title, its forms, the event loop and the default error
// handler that every event dispatch goes through.
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi {

class TForm;

class TApplication {
public:
  // Becomes the program's application object until destroyed; there is one at a time.
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  const std::string& Title() const { return FTitle; }
  void SetTitle(std::string ATitle) { FTitle = std::move(ATitle); }

  // The first form created; closing it ends the program.
  TForm* MainForm() const { return FForms.empty() ? nullptr : FForms.front(); }
  const std::vector<TForm*>& Forms() const { return FForms; }

  // Shows the main form and processes events until Terminate().
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  void ProcessMessages();

  // Whether the program has a taskbar entry (its main form's); off for a desktop companion.
  bool ShowTaskbarButton() const { return FShowTaskbarButton; }
  void SetShowTaskbarButton(bool AShow);

  // Runs one event handler; an exception that escapes it is reported, and the program goes on.
  // The forms' repaint marks made meanwhile are passed on once it returns.
  void Dispatch(const std::function<void()>& AHandler);
  bool Dispatching() const { return FDispatching > 0; }
  // Passes every form's held repaint marks on to its window.
  void ReleaseMarks();
  // Reports an error: OnException when set, otherwise ShowException.
  void HandleException(const std::exception& AError);
  // A message box with the stop icon, captioned with the title.
  void ShowException(const std::exception& AError);
  std::function<void(const std::exception&)> OnException;

private:
  friend class TForm;
  void RegisterForm(TForm* AForm);
  void UnregisterForm(TForm* AForm);

  std::string FTitle;
  std::vector<TForm*> FForms;
  bool FTerminated = false;
  bool FShowTaskbarButton = true;
  int FDispatching = 0; // handlers running, nested ones included
};

// The application object, or nullptr when none exists.
TApplication* CurrentApplication();
// The application object; raises when none exists.
TApplication& Application();

// Runs an event handler through the application's dispatch, or directly when there is none.
void DispatchEvent(const std::function<void()>& AHandler);

// The text the default handler shows: the message, with "." added when its last character
// sorts after "." (any non-ASCII character does).
std::string ErrorBoxText(std::string_view AMessage);

} // namespace nyarumi
