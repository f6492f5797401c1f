#include "assets/fileIN.h"

#include "TestBytes.h"
#include "assets/FormLoader.h"
#include "assets/Messages.h"
#include "assets/Resources.h"
#include "assets/Values.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace nyarumi {
namespace {

using test::TBytes;

std::vector<std::uint8_t> StreamBytes(const TfileIN& AHolder) {
  return {AHolder.Stream.Bytes().begin(), AHolder.Stream.Bytes().end()};
}

struct TPayloadCase {
  const char* Label;
  std::vector<std::uint8_t> Payload;
  std::vector<std::uint8_t> Expected; // the Stream after reading
  bool Fails;
};

TEST(fileIN, ReadDataRestoresTheCountedBytesOrRaisesTheReadError) {
  const std::vector<TPayloadCase> cases = {
      {"count and bytes", TBytes().U32(3).Raw({7, 8, 9}).Get(), {7, 8, 9}, false},
      {"bytes beyond the count are ignored", TBytes().U32(2).Raw({7, 8, 9}).Get(), {7, 8}, false},
      {"zero count", TBytes().U32(0).Get(), {}, false},
      {"zero count with more bytes", TBytes().U32(0).Raw({1, 2}).Get(), {}, false},
      {"count larger than the bytes", TBytes().U32(4).Raw({7, 8, 9}).Get(), {}, true},
      {"huge count", TBytes().U32(0x7FFFFFFF).Raw({7}).Get(), {}, true},
      {"negative count", TBytes().U32(0xFFFFFFFF).Raw({7}).Get(), {}, true},
      {"no whole count", {3, 0, 0}, {}, true},
      {"empty payload", {}, {}, true},
  };
  for (const TPayloadCase& c : cases) {
    TfileIN holder(nullptr);
    TMemoryStream payload(c.Payload);
    if (c.Fails) {
      try {
        holder.ReadData(payload);
        ADD_FAILURE() << c.Label;
      } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), MSG_READ_ERROR) << c.Label;
      }
      continue;
    }
    holder.Stream.Write(std::vector<std::uint8_t>{0xAA, 0xBB, 0xCC, 0xDD, 0xEE}); // replaced
    holder.ReadData(payload);
    EXPECT_EQ(StreamBytes(holder), c.Expected) << c.Label;
    EXPECT_EQ(holder.Stream.Position(), 0u) << c.Label;
  }
}

std::string Utf8Of(const std::filesystem::path& APath) {
  const std::u8string text = APath.u8string();
  return std::string(text.begin(), text.end());
}

class fileINForm : public testing::Test {
protected:
  std::filesystem::path Dir;
  TClassRegistry Registry;

  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() /
          ("nyarumi_filein_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(Dir);
    RegisterfileIN(Registry);
    TClassInfo root;
    root.Name = "TfrmTEST";
    root.Properties["Caption"] = [](TComponent&, const TValue& V, TLoadContext&) { AsString(V); };
    Registry.Register(std::move(root));
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  // Writes a form with one holder for AFileName, reads it back into a fresh form.
  std::vector<std::uint8_t> RoundTrip(const std::string& AFileName, TComponent& AForm) {
    TComponent writerForm(nullptr);
    auto* source = new TfileIN(&writerForm);
    source->FileName = AFileName;
    source->DesignInfo = TDesignInfo{796, 8};
    TComponentRecord holder{"TfileIN", "rgTATI1b", {}, {}};
    source->WriteProperties(holder);
    const auto bytes = WriteFormStream(TComponentRecord{"TfrmTEST", "frmTEST", {}, {holder}});
    LoadForm(AForm, ReadFormStream(bytes), Registry);
    return StreamBytes(*source);
  }
};

TEST_F(fileINForm, WritingAndReadingAFormGivesTheFilesBytes) {
  // Built from UTF-8 on purpose: file names in a form are UTF-8 on every system.
  const std::filesystem::path file = Dir / u8"→" / u8"影" / u8"立ち1影→.RG";
  std::filesystem::create_directories(file.parent_path());
  std::vector<std::uint8_t> content(3008);
  for (std::size_t i = 0; i < content.size(); ++i) {
    content[i] = static_cast<std::uint8_t>(i * 31);
  }
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(content.data()),
             static_cast<std::streamsize>(content.size()));

  TComponent form(nullptr);
  EXPECT_EQ(RoundTrip(Utf8Of(file), form), content); // the writer's Stream took the bytes too
  ASSERT_EQ(form.Components().size(), 1u);
  const auto& loaded = dynamic_cast<const TfileIN&>(*form.Components()[0]);
  EXPECT_EQ(loaded.FileName, Utf8Of(file));
  EXPECT_EQ(loaded.DesignInfo.Left, 796);
  EXPECT_EQ(loaded.DesignInfo.Top, 8);
  EXPECT_EQ(StreamBytes(loaded), content);
  EXPECT_EQ(loaded.Stream.Position(), 0u);
}

TEST_F(fileINForm, AnUnreadableFileEmbedsACountOfZero) {
  for (const std::string& name : {Utf8Of(Dir / "missing.RG"), Utf8Of(Dir)}) {
    TComponent writerForm(nullptr);
    TfileIN holder(&writerForm);
    holder.FileName = name;
    holder.Stream.Write(std::vector<std::uint8_t>{1, 2, 3});
    TMemoryStream out;
    holder.WriteData(out);
    EXPECT_EQ(std::vector<std::uint8_t>(out.Bytes().begin(), out.Bytes().end()),
              (std::vector<std::uint8_t>{0, 0, 0, 0}))
        << name;
    EXPECT_EQ(holder.Stream.Size(), 0u) << name;
    TComponent form(nullptr);
    RoundTrip(name, form);
    EXPECT_EQ(dynamic_cast<const TfileIN&>(*form.Components()[0]).Stream.Size(), 0u);
  }
}

TEST_F(fileINForm, AnEmptyFileNameWritesNoData) {
  TfileIN holder(nullptr);
  holder.Stream.Write(std::vector<std::uint8_t>{1, 2, 3});
  TComponentRecord record{"TfileIN", "rg", {}, {}};
  holder.WriteProperties(record);
  ASSERT_EQ(record.Properties.size(), 2u);
  EXPECT_EQ(record.Properties[0].first, "Left");
  EXPECT_EQ(record.Properties[1].first, "Top");
}

TEST_F(fileINForm, DataOfAnotherKindIsAnInvalidValue) {
  TComponent form(nullptr);
  const TComponentRecord root{
      "TfrmTEST",
      "frmTEST",
      {},
      {TComponentRecord{"TfileIN", "rgA", {{"DATA", StringValue("x")}}, {}}}};
  try {
    LoadForm(form, root, Registry);
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "rgA.DATA の読み込み中のエラー : 不正なプロパティの値です");
  }
}

TEST_F(fileINForm, AFormResourceIsFoundByItsClassNameInAnyCase) {
  TComponent form(nullptr);
  ReadComponentResource(form, "TfrmTEST", Registry);
  EXPECT_EQ(form.Name(), "frmTEST");
  ASSERT_EQ(form.Components().size(), 1u);
  const auto& holder = dynamic_cast<const TfileIN&>(*form.Components()[0]);
  EXPECT_EQ(holder.Name(), "rgA");
  EXPECT_EQ(holder.DesignInfo.Left, 3);
  EXPECT_EQ(StreamBytes(holder), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(Resources, EmbeddedBytesEqualTheFileAndUnknownNamesFindNothing) {
  std::ifstream in(std::string(NYARUMI_SOURCE_DIR) + "/tests/unit/assets/data/EMBEDTEST.bin",
                   std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  ASSERT_EQ(file.size(), 263u);
  const auto found = LookupResource("EmbedTest");
  EXPECT_EQ(std::vector<std::uint8_t>(found.begin(), found.end()), file);
  EXPECT_TRUE(LookupResource("EMBEDTES").empty());
  EXPECT_TRUE(LookupResource("").empty());
}

} // namespace
} // namespace nyarumi
