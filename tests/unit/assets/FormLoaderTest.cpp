#include "assets/FormLoader.h"

#include "TestForm.h"
#include "assets/Messages.h"
#include "assets/Values.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

namespace nyarumi {
namespace {

using test::TLog;
using test::TTestForm;
using test::TThing;

class FormLoader : public testing::Test {
protected:
  TLog Log;
  TTestForm Form{Log};
  TClassRegistry Registry;

  void SetUp() override {
    Registry.Register(test::FormClass());
    Registry.Register(test::ThingClass(Log));
    TClassInfo timer;
    timer.Name = "TTimer";
    timer.Create = [](TComponent* AOwner, TComponent*) -> TComponent* {
      return new TComponent(AOwner);
    };
    AddDesignPosition(timer);
    Registry.Register(std::move(timer));
  }

  static TComponentRecord Thing(std::string AName,
                                std::vector<std::pair<std::string, TValue>> AProperties = {},
                                std::vector<TComponentRecord> AChildren = {}) {
    return TComponentRecord{"TThing", std::move(AName), std::move(AProperties),
                            std::move(AChildren)};
  }

  static TComponentRecord Root(std::vector<TComponentRecord> AChildren,
                               std::vector<std::pair<std::string, TValue>> AProperties = {}) {
    return TComponentRecord{"TTestForm", "frmTEST", std::move(AProperties), std::move(AChildren)};
  }

  TThing* Bound(const std::string& AName) {
    auto it = Form.Fields.find(AName);
    return it == Form.Fields.end() ? nullptr : dynamic_cast<TThing*>(it->second);
  }

  // The error that loading ARecord raises: its text and whether it is a read error.
  std::pair<std::string, bool> ErrorOf(const TComponentRecord& ARecord) {
    try {
      LoadForm(Form, ARecord, Registry);
    } catch (const EReadError& e) {
      return {e.what(), true};
    } catch (const Exception& e) {
      return {e.what(), false};
    }
    return {"(no error)", false};
  }
};

TEST_F(FormLoader, CreatesNamesBindsAndParentsEveryComponent) {
  LoadForm(Form,
           Root({Thing("outer", {{"Count", IntegerValue(3)}}, {Thing("inner"), Thing("")})},
                {{"Caption", StringValue("バージョン情報")}}),
           Registry);
  EXPECT_EQ(Form.Name(), "frmTEST");
  EXPECT_EQ(Form.Caption, "バージョン情報");
  ASSERT_EQ(Form.Components().size(), 3u);
  TThing* outer = Bound("outer");
  TThing* inner = Bound("inner");
  ASSERT_NE(outer, nullptr);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(Form.Fields.size(), 2u); // the unnamed one binds nothing
  EXPECT_EQ(outer->Count, 3);
  EXPECT_EQ(outer->Owner(), &Form);
  EXPECT_EQ(inner->Owner(), &Form);
  EXPECT_EQ(outer->Parent, &Form);
  EXPECT_EQ(inner->Parent, outer);
  EXPECT_EQ(Form.Components()[2]->Name(), "");
}

TEST_F(FormLoader, BindsHandlersToTheRootsMethods) {
  LoadForm(Form,
           Root({Thing("btn", {{"OnClick", IdentValue("FormCreate")}})},
                {{"OnCreate", IdentValue("FormCreate")}}),
           Registry);
  EXPECT_EQ(Form.Created, 1);
  ASSERT_TRUE(Bound("btn")->OnClick);
  Bound("btn")->OnClick(nullptr);
  EXPECT_EQ(Form.Created, 2);
}

TEST_F(FormLoader, ResolvesForwardReferencesBeforeAnyComponentIsToldLoadingFinished) {
  LoadForm(Form,
           Root({Thing("a", {{"Buddy", IdentValue("b")}}),
                 Thing("b", {{"Buddy", IdentValue("frmTEST")}}),
                 Thing("", {}, {Thing("c", {{"Buddy", IdentValue("a")}})})}),
           Registry);
  EXPECT_EQ(Log.Entries,
            (std::vector<std::string>{"loaded frmTEST", "loaded a buddy b",
                                      "loaded b buddy frmTEST", "loaded ?", "loaded c buddy a"}));
}

TEST_F(FormLoader, StoresTheDesignPositionOfANonControl) {
  LoadForm(
      Form,
      Root({TComponentRecord{
          "TTimer", "anmTimer", {{"Left", IntegerValue(796)}, {"Top", IntegerValue(-8)}}, {}}}),
      Registry);
  ASSERT_EQ(Form.Components().size(), 1u);
  EXPECT_EQ(Form.Components()[0]->DesignInfo.Left, 796);
  EXPECT_EQ(Form.Components()[0]->DesignInfo.Top, -8);
}

struct TErrorCase {
  const char* Label;
  TComponentRecord Child;
  std::string Message;
  bool ReadError;
};

TEST_F(FormLoader, ReportsEachFailureWithItsFixedTextAndType) {
  const std::vector<TErrorCase> cases = {
      {"unknown class", TComponentRecord{"TNope", "x", {}, {}}, "クラス TNope が見つかりません",
       false},
      {"unknown property", Thing("thing1", {{"Nope", IntegerValue(1)}}),
       "thing1.Nope の読み込み中のエラー : プロパティが存在しません", true},
      {"wrong kind", Thing("thing1", {{"Count", StringValue("3")}}),
       "thing1.Count の読み込み中のエラー : 不正なプロパティの値です", true},
      {"unnamed owner", Thing("", {{"Count", BoolValue(true)}}),
       "TThing.Count の読み込み中のエラー : 不正なプロパティの値です", true},
      {"sub-object", Thing("thing1", {{"Font.Name", IntegerValue(12)}}),
       "TFont.Name の読み込み中のエラー : 不正なプロパティの値です", true},
      {"unknown sub-object property", Thing("thing1", {{"Font.Size", IntegerValue(12)}}),
       "TFont.Size の読み込み中のエラー : プロパティが存在しません", true},
      {"no such method", Thing("btn", {{"OnClick", IdentValue("Nope")}}),
       "btn.OnClick の読み込み中のエラー : 不正なプロパティの値です", true},
      {"dangling reference", Thing("a", {{"Buddy", IdentValue("zz")}}),
       "a.Buddy の読み込み中のエラー : 不正なプロパティの値です", true},
      {"setter's own error", Thing("a", {{"Fails", BoolValue(true)}}),
       "a.Fails の読み込み中のエラー : boom", false},
      {"nested", Thing("a", {}, {Thing("b", {{"Count", IdentValue("x")}})}),
       "b.Count の読み込み中のエラー : 不正なプロパティの値です", true},
  };
  for (const TErrorCase& c : cases) {
    TTestForm form(Log);
    try {
      LoadForm(form, Root({c.Child}), Registry);
      ADD_FAILURE() << c.Label << ": no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.what(), c.Message) << c.Label;
      EXPECT_TRUE(c.ReadError) << c.Label;
    } catch (const Exception& e) {
      EXPECT_EQ(e.what(), c.Message) << c.Label;
      EXPECT_FALSE(c.ReadError) << c.Label;
    }
  }
  EXPECT_EQ(ErrorOf(Root({}, {{"Caption", IntegerValue(1)}})),
            (std::pair<std::string, bool>{
                "frmTEST.Caption の読み込み中のエラー : 不正なプロパティの値です", true}));
}

TEST_F(FormLoader, ARootOnlyClassCannotBeAChild) {
  EXPECT_EQ(ErrorOf(Root({TComponentRecord{"TTestForm", "f2", {}, {}}})),
            (std::pair<std::string, bool>{"クラス TTestForm が見つかりません", false}));
}

TEST_F(FormLoader, AMissingResourceIsReportedWithTheClassName) {
  TTestForm other(Log);
  try {
    ReadComponentResource(other, "TfrmNONE", Registry);
    ADD_FAILURE();
  } catch (const EReadError&) {
    ADD_FAILURE() << "a missing resource is not a read error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TfrmNONE リソースが見つかりません");
  }
}

} // namespace
} // namespace nyarumi
