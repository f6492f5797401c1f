#pragma once
// The About window: title, version line, maker and two links. Created hidden at start-up and
// shown by the main window's About command; its Close button and any close request hide it.
#include "assets/ClassRegistry.h"
#include "assets/FormStream.h"
#include "shell/window/Form.h"

#include <memory>

namespace nyarumi {

class TLabel;
class TShape;
class TButton;
class TPopupMenu;
class THTLabel;

class TfrmABUT : public TForm {
public:
  explicit TfrmABUT(TComponent* AOwner);

  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;
  TShape* Shape1 = nullptr;
  TShape* Shape2 = nullptr;
  TShape* Shape3 = nullptr;
  TLabel* Label5 = nullptr;
  TLabel* Label6 = nullptr;
  TButton* Button1 = nullptr;
  TLabel* Label9 = nullptr;
  THTLabel* HTLabel1 = nullptr;
  THTLabel* HTLabel2 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;

  void FormCreate(TComponent* Sender);
  void Button1Click(TComponent* Sender);

  void BindField(std::string_view AName, TComponent* AComponent) override;
  TNotifyEvent MethodAddress(std::string_view AName) override;
};

// TfrmABUT as a root and THTLabel, for the loader; the window layer's classes are registered
// separately.
void RegisterAboutClasses(TClassRegistry& ARegistry);

// Creates the About window hidden from the embedded layout "TFRMABUT" (or the given one) and
// runs FormCreate. A failing FormCreate is reported by the application and the window remains.
std::unique_ptr<TfrmABUT> CreateAboutWindow(const TClassRegistry& ARegistry);
std::unique_ptr<TfrmABUT> CreateAboutWindow(const TComponentRecord& ALayout,
                                            const TClassRegistry& ARegistry);

} // namespace nyarumi
