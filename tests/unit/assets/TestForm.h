#pragma once
// A form and a component class to load streams into, recording what the loader does to them.
#include "assets/ClassRegistry.h"
#include "assets/Component.h"
#include "assets/Values.h"
#include "common/Errors.h"

#include <map>
#include <string>
#include <vector>

namespace nyarumi::test {

struct TLog {
  std::vector<std::string> Entries;
};

class TTestForm : public TComponent {
public:
  explicit TTestForm(TLog& ALog) : TComponent(nullptr), FLog(ALog) {}
  std::string Caption;
  std::map<std::string, TComponent*, std::less<>> Fields;
  int Created = 0;

  void BindField(std::string_view AName, TComponent* AComponent) override {
    Fields[std::string(AName)] = AComponent;
  }
  TNotifyEvent MethodAddress(std::string_view AName) override {
    if (AName == "FormCreate") {
      return [this](TComponent*) { ++Created; };
    }
    return {};
  }
  void Loaded() override { FLog.Entries.push_back("loaded " + Name()); }

private:
  TLog& FLog;
};

class TThing : public TComponent {
public:
  TThing(TComponent* AOwner, TComponent* AParent, TLog& ALog)
      : TComponent(AOwner), Parent(AParent), FLog(ALog) {}
  TComponent* Parent;
  std::int32_t Count = 0;
  std::string FontName;
  TNotifyEvent OnClick;
  TComponent* Buddy = nullptr;

  void Loaded() override {
    FLog.Entries.push_back("loaded " + (Name().empty() ? std::string("?") : Name()) +
                           (Buddy != nullptr ? " buddy " + Buddy->Name() : ""));
  }

private:
  TLog& FLog;
};

inline TClassInfo FormClass() {
  TClassInfo info;
  info.Name = "TTestForm";
  info.Properties["Caption"] = [](TComponent& T, const TValue& V, TLoadContext&) {
    static_cast<TTestForm&>(T).Caption = AsString(V);
  };
  info.Properties["OnCreate"] = [](TComponent& T, const TValue& V, TLoadContext& C) {
    C.Method(AsIdent(V))(&T);
  };
  return info;
}

inline TClassInfo ThingClass(TLog& ALog) {
  TClassInfo info;
  info.Name = "TThing";
  info.Create = [&ALog](TComponent* AOwner, TComponent* AParent) -> TComponent* {
    return new TThing(AOwner, AParent, ALog);
  };
  info.Properties["Count"] = [](TComponent& T, const TValue& V, TLoadContext&) {
    static_cast<TThing&>(T).Count = AsInteger(V);
  };
  info.Properties["Font.Name"] = [](TComponent& T, const TValue& V, TLoadContext&) {
    static_cast<TThing&>(T).FontName = AsString(V);
  };
  info.Properties["OnClick"] = [](TComponent& T, const TValue& V, TLoadContext& C) {
    static_cast<TThing&>(T).OnClick = C.Method(AsIdent(V));
  };
  info.Properties["Buddy"] = [](TComponent& T, const TValue& V, TLoadContext& C) {
    auto* thing = static_cast<TThing*>(&T);
    C.ResolveLater(AsIdent(V), [thing](TComponent* ATarget) { thing->Buddy = ATarget; });
  };
  info.Properties["Fails"] = [](TComponent&, const TValue&, TLoadContext&) {
    throw Exception("boom");
  };
  info.SubObjects["Font"] = "TFont";
  return info;
}

} // namespace nyarumi::test
