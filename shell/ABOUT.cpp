#include "shell/ABOUT.h"

#include "assets/FormLoader.h"
#include "assets/Messages.h"
#include "common/Errors.h"
#include "shell/HTLabel.h"
#include "shell/window/Button.h"
#include "shell/window/Label.h"
#include "shell/window/Menu.h"
#include "shell/window/Registration.h"
#include "shell/window/Shape.h"

namespace nyarumi {

namespace {

// Binds a loaded component to its member; a component of another class is a broken layout.
template <class T> void Bind(T*& AField, TComponent* AComponent) {
  AField = dynamic_cast<T*>(AComponent);
  if (AField == nullptr) {
    throw EReadError(MSG_INVALID_PROPERTY_VALUE);
  }
}

} // namespace

TfrmABUT::TfrmABUT(TComponent* AOwner) : TForm(AOwner) {}

void TfrmABUT::FormCreate(TComponent* /*Sender*/) {
  Label2->SetCaption("version.0.5   2001");
}

void TfrmABUT::Button1Click(TComponent* /*Sender*/) {
  Hide();
}

void TfrmABUT::BindField(std::string_view AName, TComponent* AComponent) {
  if (AName == "Label2") {
    Bind(Label2, AComponent);
  } else if (AName == "Label3") {
    Bind(Label3, AComponent);
  } else if (AName == "Label4") {
    Bind(Label4, AComponent);
  } else if (AName == "Shape1") {
    Bind(Shape1, AComponent);
  } else if (AName == "Shape2") {
    Bind(Shape2, AComponent);
  } else if (AName == "Shape3") {
    Bind(Shape3, AComponent);
  } else if (AName == "Label5") {
    Bind(Label5, AComponent);
  } else if (AName == "Label6") {
    Bind(Label6, AComponent);
  } else if (AName == "Button1") {
    Bind(Button1, AComponent);
  } else if (AName == "Label9") {
    Bind(Label9, AComponent);
  } else if (AName == "HTLabel1") {
    Bind(HTLabel1, AComponent);
  } else if (AName == "HTLabel2") {
    Bind(HTLabel2, AComponent);
  } else if (AName == "PopupMenu1") {
    Bind(PopupMenu1, AComponent);
  }
}

TNotifyEvent TfrmABUT::MethodAddress(std::string_view AName) {
  if (AName == "FormCreate") {
    return [this](TComponent* Sender) { FormCreate(Sender); };
  }
  if (AName == "Button1Click") {
    return [this](TComponent* Sender) { Button1Click(Sender); };
  }
  return {};
}

void RegisterAboutClasses(TClassRegistry& ARegistry) {
  TClassInfo root;
  root.Name = "TfrmABUT";
  AddFormProperties(root);
  ARegistry.Register(std::move(root));
  RegisterHTLabelClass(ARegistry);
}

std::unique_ptr<TfrmABUT> CreateAboutWindow(const TClassRegistry& ARegistry) {
  auto form = std::make_unique<TfrmABUT>(nullptr);
  ReadComponentResource(*form, "TfrmABUT", ARegistry); // found as "TFRMABUT"
  form->DoCreate();
  return form;
}

std::unique_ptr<TfrmABUT> CreateAboutWindow(const TComponentRecord& ALayout,
                                            const TClassRegistry& ARegistry) {
  auto form = std::make_unique<TfrmABUT>(nullptr);
  LoadForm(*form, ALayout, ARegistry);
  form->DoCreate();
  return form;
}

} // namespace nyarumi
