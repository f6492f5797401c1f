#include "assets/FormStream.h"

#include "TestBytes.h"
#include "assets/Messages.h"
#include "assets/TextCodec.h"
#include "assets/Values.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <set>

namespace nyarumi {
namespace {

using test::OneProperty;
using test::TBytes;

TValue ReadOnlyValue(const std::vector<std::uint8_t>& AValueBytes) {
  const TComponentRecord root = ReadFormStream(OneProperty("P", AValueBytes));
  EXPECT_EQ(root.Properties.size(), 1u);
  return root.Properties.at(0).second;
}

std::string MessageOf(const std::vector<std::uint8_t>& AStream) {
  try {
    ReadFormStream(AStream);
  } catch (const EReadError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(FormStreamReader, ReadsTheRegionComponentRecordOfTheMainStream) {
  const auto bytes = TBytes()
                         .Text("TPF0")
                         .Short("TfrmMAIN")
                         .Short("frmMAIN")
                         .Raw({0})
                         .Short("TFormRgn")
                         .Short("FormRgn1")
                         .Short("Left")
                         .Raw({2, 0x10})
                         .Short("Top")
                         .Raw({3, 0xF8, 0x00})
                         .Short("Width")
                         .Raw({2, 0x21})
                         .Short("Height")
                         .Raw({2, 0x65})
                         .Raw({0, 0, 0})
                         .Get();
  const TComponentRecord root = ReadFormStream(bytes);
  EXPECT_EQ(root.ClassName, "TfrmMAIN");
  EXPECT_EQ(root.Name, "frmMAIN");
  ASSERT_EQ(root.Children.size(), 1u);
  const TComponentRecord& rgn = root.Children[0];
  EXPECT_EQ(rgn.ClassName, "TFormRgn");
  EXPECT_EQ(rgn.Name, "FormRgn1");
  ASSERT_EQ(rgn.Properties.size(), 4u);
  EXPECT_EQ(rgn.Properties[1].first, "Top");
  EXPECT_EQ(rgn.Properties[1].second.Integer, 248);
  EXPECT_EQ(rgn.Properties[1].second.Tag, 3);
  EXPECT_EQ(rgn.Properties[3].second.Integer, 101);
  // Writing the tree back gives the same bytes.
  EXPECT_EQ(WriteFormStream(root), bytes);
}

struct TTagCase {
  const char* Label;
  std::vector<std::uint8_t> Bytes;
  TValue Expected;
};

void PrintTo(const TTagCase& ACase, std::ostream* AOut) {
  *AOut << ACase.Label;
}

class FormStreamTags : public testing::TestWithParam<TTagCase> {};

TEST_P(FormStreamTags, ReadsEachTagIntoItsKindAndWritesTheSameBytesBack) {
  const TTagCase& c = GetParam();
  const TValue v = ReadOnlyValue(c.Bytes);
  EXPECT_TRUE(v == c.Expected) << c.Label;
  TComponentRecord root{"TfrmX", "frmX", {{"P", v}}, {}};
  EXPECT_EQ(WriteFormStream(root), OneProperty("P", c.Bytes)) << c.Label;
}

INSTANTIATE_TEST_SUITE_P(
    AllTags, FormStreamTags,
    testing::Values(
        TTagCase{"int8", {2, 0x80}, IntegerValue(-128, 2)},
        TTagCase{"int16", {3, 0x9A, 0x00}, IntegerValue(154, 3)},
        TTagCase{"int16 negative", {3, 0x00, 0x80}, IntegerValue(-32768, 3)},
        TTagCase{"int32", {4, 0x00, 0x00, 0xFF, 0x02}, IntegerValue(50266112, 4)},
        TTagCase{"ascii", TBytes().Raw({6}).Short("Close").Get(), StringValue("Close", 6)},
        TTagCase{"shift-jis",
                 {6, 14, 0x83, 0x6f, 0x81, 0x5b, 0x83, 0x57, 0x83, 0x87, 0x83, 0x93, 0x8f, 0xee,
                  0x95, 0xf1},
                 StringValue("バージョン情報", 6)},
        TTagCase{"long ansi", TBytes().Raw({12}).U32(4).Raw({0x83, 0x6a, 0x83, 0x83}).Get(),
                 StringValue("ニャ", 12)},
        TTagCase{"utf-16",
                 TBytes()
                     .Raw({18})
                     .U32(7)
                     .Raw({0xd0, 0x30, 0xfc, 0x30, 0xb8, 0x30, 0xe7, 0x30, 0xf3, 0x30, 0xc5, 0x60,
                           0x31, 0x58})
                     .Get(),
                 StringValue("バージョン情報", 18)},
        TTagCase{"utf-16 surrogate pair",
                 TBytes().Raw({18}).U32(2).Raw({0x3d, 0xd8, 0x31, 0xde}).Get(),
                 StringValue("\xF0\x9F\x98\xB1", 18)},
        TTagCase{"utf-8", TBytes().Raw({20}).U32(10).Text("開く(&O)").Get(),
                 StringValue("開く(&O)", 20)},
        TTagCase{"ident", TBytes().Raw({7}).Short("clWhite").Get(), IdentValue("clWhite")},
        TTagCase{"false", {8}, BoolValue(false)}, TTagCase{"true", {9}, BoolValue(true)},
        TTagCase{"binary", TBytes().Raw({10}).U32(3).Raw({1, 2, 3}).Get(), BinaryValue({1, 2, 3})},
        TTagCase{"empty set", {11, 0}, SetValue({})},
        TTagCase{"set", TBytes().Raw({11}).Short("fsBold").Short("fsUnderline").Raw({0}).Get(),
                 SetValue({"fsBold", "fsUnderline"})}));

struct TChoiceCase {
  TValue Value;
  std::uint8_t Tag;
};

void PrintTo(const TChoiceCase& ACase, std::ostream* AOut) {
  *AOut << "tag " << int(ACase.Tag) << " for " << ACase.Value.Integer << " '"
        << ACase.Value.Text.substr(0, 12) << "'";
}

class FormStreamWriterTagChoice : public testing::TestWithParam<TChoiceCase> {};

TEST_P(FormStreamWriterTagChoice, PicksTheTagAndReadsBackTheSameValue) {
  const TChoiceCase& c = GetParam();
  const auto bytes = WriteFormStream(TComponentRecord{"TfrmX", "frmX", {{"P", c.Value}}, {}});
  const TValue back = ReadFormStream(bytes).Properties.at(0).second;
  EXPECT_EQ(back.Tag, c.Tag);
  EXPECT_EQ(back.Integer, c.Value.Integer);
  EXPECT_EQ(back.Text, c.Value.Text);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, FormStreamWriterTagChoice,
    testing::Values(TChoiceCase{IntegerValue(88), 2}, TChoiceCase{IntegerValue(154), 3},
                    TChoiceCase{IntegerValue(-129), 3}, TChoiceCase{IntegerValue(796), 3},
                    TChoiceCase{IntegerValue(40000), 4}, TChoiceCase{IntegerValue(-12), 2},
                    // a requested tag is kept when it holds the value, widened when it does not
                    TChoiceCase{IntegerValue(5, 4), 4}, TChoiceCase{IntegerValue(1000, 2), 3},
                    TChoiceCase{StringValue("-"), 6},
                    TChoiceCase{StringValue("バージョン情報"), 18},
                    TChoiceCase{StringValue("開く(&O)"), 20},
                    TChoiceCase{StringValue("C:\\素材\\→\\影\\立ち1影→.RG"), 20},
                    TChoiceCase{StringValue(std::string(300, 'a')), 20},
                    TChoiceCase{StringValue("Close", 18), 18},
                    TChoiceCase{StringValue("ＭＳ Ｐゴシック", 6), 6},
                    TChoiceCase{StringValue("開く", 12), 12}));

TEST(FormStreamWriter, RoundTripsANestedTree) {
  TComponentRecord item1{
      "TMenuItem", "", {{"Caption", StringValue("開く(&O)")}, {"Default", BoolValue(true)}}, {}};
  TComponentRecord item2{"TMenuItem", "", {{"Caption", StringValue("コピー(&C)")}}, {}};
  TComponentRecord menu{"TPopupMenu", "", {}, {item1, item2}};
  TComponentRecord holder{"TfileIN",
                          "rgTATI1b",
                          {{"FileName", StringValue("C:\\a\\→\\影\\立ち1影→.RG")},
                           {"Left", IntegerValue(796)},
                           {"DATA", BinaryValue({4, 0, 0, 0, 9, 9, 9, 9})}},
                          {}};
  TComponentRecord root{"TfrmABUT",
                        "frmABUT",
                        {{"BorderIcons", SetValue({})},
                         {"Caption", StringValue("バージョン情報")},
                         {"OnCreate", IdentValue("FormCreate")},
                         {"OldCreateOrder", BoolValue(false)},
                         {"Font.Height", IntegerValue(-12)}},
                        {menu, holder}};
  const auto bytes = WriteFormStream(root);
  const TComponentRecord back = ReadFormStream(bytes);
  ASSERT_EQ(back.Children.size(), 2u);
  ASSERT_EQ(back.Children[0].Children.size(), 2u);
  EXPECT_EQ(back.Children[0].Children[1].Properties[0].second.Text, "コピー(&C)");
  EXPECT_EQ(back.Children[1].Properties[2].second.Bytes,
            (std::vector<std::uint8_t>{4, 0, 0, 0, 9, 9, 9, 9}));
  EXPECT_EQ(back.Properties[1].second.Text, "バージョン情報");
  // The tags the reader reports make the writer reproduce the stream byte for byte.
  EXPECT_EQ(WriteFormStream(back), bytes);
  // Read in place, the payload stays inside the stream and the tree is the same.
  const TComponentRecord borrowed = ReadFormStreamInPlace(bytes);
  EXPECT_TRUE(borrowed == back);
  const auto payload = AsBinary(borrowed.Children[1].Properties[2].second);
  EXPECT_TRUE(payload.data() > bytes.data() &&
              payload.data() + payload.size() < bytes.data() + bytes.size());
  EXPECT_EQ(WriteFormStream(borrowed), bytes);
}

TEST(FormStreamWriter, RefusesWhatWouldNotReadBack) {
  const std::vector<TComponentRecord> bad = {
      {"TfrmX", "frmX", {{"", IntegerValue(1)}}, {}},
      {"TfrmX", "frmX", {}, {TComponentRecord{"", "x", {}, {}}}},
      {"TfrmX", "frmX", {{"P", SetValue({"a", ""})}}, {}},
      {"TfrmX", "frmX", {{"P", StringValue("\xFF\xFE")}}, {}},
      {"TfrmX", "frmX", {{"P", StringValue("\xF0\x9F\x98\xB1", 6)}}, {}},
      {"TfrmX", std::string(256, 'n'), {}, {}},
      {std::string(240, 'T'), "frmX", {}, {}},
  };
  for (const auto& r : bad) {
    EXPECT_THROW(WriteFormStream(r), Exception) << r.Name.substr(0, 8);
  }
}

// Characters that only one direction of the Shift-JIS tables knows: every platform writes the
// bytes of the look-alike that reads back, so a written stream is the same everywhere.
TEST(FormStreamWriter, WritesOneWayShiftJisCharactersAsTheirLookAlikes) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"¥", "\x5C"},
      {"‾", "\x7E"},
      {"—", "\x81\x5C"},
      {"‖", "\x81\x61"},
      {"−", "\x81\x7C"},
      {"〜", "\x81\x60"},
      {"¢", "\x81\x91"},
      {"£", "\x81\x92"},
      {"¬", "\x81\xCA"},
      {"a¥z", std::string("a\x5C") + "z"},
      {"開く", "\x8A\x4A\x82\xAD"},
  };
  for (const auto& [text, bytes] : cases) {
    EXPECT_EQ(Utf8ToShiftJis(text), bytes) << text;
  }
  EXPECT_EQ(Utf8ToShiftJis("\xF0\x9F\x98\xB1"), std::nullopt); // no Shift-JIS form at all
}

TEST(FormStreamReader, RejectsAWrongSignature) {
  EXPECT_EQ(MessageOf(TBytes().Text("TPF1").Short("T").Short("n").Raw({0, 0}).Get()),
            MSG_INVALID_IMAGE);
}

TEST(FormStreamReader, RejectsReservedAndUnknownTagsAsInvalidValues) {
  for (int tag : {0, 1, 5, 13, 14, 15, 16, 17, 19, 21, 255}) {
    EXPECT_EQ(
        MessageOf(OneProperty("P", {static_cast<std::uint8_t>(tag), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})),
        MSG_INVALID_PROPERTY_VALUE)
        << tag;
  }
}

TEST(FormStreamReader, RejectsBytesThatAreNotWhatTheirTagClaims) {
  const std::vector<std::vector<std::uint8_t>> values = {
      TBytes().Raw({18}).U32(1).Raw({0x00, 0xDC}).Get(),             // lone low surrogate
      TBytes().Raw({18}).U32(1).Raw({0x00, 0xD8}).Get(),             // high surrogate at the end
      TBytes().Raw({18}).U32(2).Raw({0x00, 0xD8, 0x41, 0x00}).Get(), // high surrogate, then 'A'
      TBytes().Raw({20}).U32(2).Raw({0xC0, 0x80}).Get(),             // overlong
      TBytes().Raw({20}).U32(3).Raw({0xED, 0xA0, 0x80}).Get(),       // encoded surrogate
      TBytes().Raw({20}).U32(1).Raw({0xE3}).Get(),                   // cut sequence
      TBytes().Raw({6, 1, 0x83}).Get(),                              // half a Shift-JIS pair
      TBytes().Raw({6, 1, 0x80}).Get(),                              // no Shift-JIS byte
  };
  for (const auto& v : values) {
    EXPECT_EQ(MessageOf(OneProperty("P", v)), MSG_READ_ERROR);
  }
}

TEST(FormStreamReader, RejectsLengthsBeyondTheInputWithoutAllocatingThem) {
  for (int tag : {10, 12, 18, 20}) {
    EXPECT_EQ(MessageOf(OneProperty("P", TBytes().Raw({tag}).U32(0xFFFFFFFF).Raw({1, 2}).Get())),
              MSG_READ_ERROR)
        << tag;
  }
  EXPECT_EQ(MessageOf(OneProperty("P", TBytes().Raw({6, 200}).Text("abc").Get())), MSG_READ_ERROR);
}

TEST(FormStreamReader, RejectsARecordPrefixByte) {
  const auto bytes = TBytes()
                         .Text("TPF0")
                         .Short("TfrmX")
                         .Short("frmX")
                         .Raw({0, 0xF1})
                         .Short("TImage")
                         .Short("a")
                         .Raw({0, 0, 0})
                         .Get();
  EXPECT_EQ(MessageOf(bytes), MSG_READ_ERROR);
}

TEST(FormStreamReader, BoundsTheNestingDepth) {
  TBytes b;
  b.Text("TPF0");
  for (int i = 0; i < 100000; ++i) {
    b.Short("T").Short("").Raw({0});
  }
  EXPECT_EQ(MessageOf(b.Get()), MSG_READ_ERROR);
}

TEST(FormStreamReader, WhenTheStreamEndsAnywhereThenAFixedReadErrorAndNoCrash) {
  TComponentRecord root{"TfrmX",
                        "frmX",
                        {{"A", IntegerValue(7)},
                         {"B", IntegerValue(300)},
                         {"C", IntegerValue(100000)},
                         {"D", StringValue("abc")},
                         {"E", StringValue("バージョン")},
                         {"F", StringValue("開く(&O)")},
                         {"G", IdentValue("clRed")},
                         {"H", BoolValue(true)},
                         {"I", BinaryValue({1, 2, 3, 4, 5})},
                         {"J", SetValue({"fsBold"})},
                         {"K", StringValue("ニャ", 12)}},
                        {TComponentRecord{"TImage", "img", {{"Visible", BoolValue(false)}}, {}}}};
  const auto bytes = WriteFormStream(root);
  const std::set<std::string> allowed = {MSG_READ_ERROR, MSG_INVALID_IMAGE};
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    const std::vector<std::uint8_t> cut(bytes.begin(),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_TRUE(allowed.count(MessageOf(cut)) == 1) << "cut at " << n;
  }
  EXPECT_TRUE(ReadFormStream(bytes) == ReadFormStream(WriteFormStream(ReadFormStream(bytes))));
}

} // namespace
} // namespace nyarumi
