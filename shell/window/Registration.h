#pragma once
// The window layer's classes as a form stream names them, with the properties a stream may set.
#include "assets/ClassRegistry.h"
#include "shell/window/Control.h"
#include "shell/window/Form.h"
#include "shell/window/Timer.h"

namespace nyarumi {

// TImage, TTimer, TPopupMenu, TMenuItem, TLabel, TShape, TButton and TFormRgn.
void RegisterWindowClasses(TClassRegistry& ARegistry);

// Property tables for classes of other units built on these: a root form class, and controls
// derived from a label (THTLabel).
void AddFormProperties(TClassInfo& AInfo);
void AddControlProperties(TClassInfo& AInfo); // place, size, visibility, cursor, colour, font
void AddLabelProperties(TClassInfo& AInfo);   // the control's, plus caption and text layout

// Creates a control owned by AOwner whose parent is AParent when that is a form; it waits for
// Loaded() before sizing itself.
template <class T> TComponent* CreateLoadedControl(TComponent* AOwner, TComponent* AParent) {
  auto* control = new T(AOwner);
  control->BeginLoading();
  if (auto* form = dynamic_cast<TForm*>(AParent)) {
    control->SetParent(form);
  }
  return control;
}

} // namespace nyarumi
