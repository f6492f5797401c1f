// Writes the seed corpus of the fuzz targets into OUTDIR/form, OUTDIR/bitmap and OUTDIR/region:
// small streams, bitmaps and records made with the writers, and, for every form stream named on
// the command line, the whole stream, each picture value with its bitmap file and each record.
//   fuzz_seeds OUTDIR [STREAM.bin ...]
#include "assets/Bitmap.h"
#include "assets/FormStream.h"
#include "assets/Values.h"
#include "common/Errors.h"
#include "fuzz/SeedForms.h"
#include "shape/Region.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace nyarumi::fuzz {
namespace {

namespace fs = std::filesystem;
using TBytes = std::vector<std::uint8_t>;

constexpr std::int32_t FRAME_WIDTH = 88;
constexpr std::int32_t FRAME_HEIGHT = 154;
constexpr std::uint8_t WHITE_INDEX = 114;

class TCorpus {
public:
  explicit TCorpus(fs::path ARoot) : FRoot(std::move(ARoot)) {
    for (const char* dir : {"form", "bitmap", "region"}) {
      fs::create_directories(FRoot / dir);
    }
  }

  void Add(const char* ADir, const std::string& AName, const TBytes& ABytes) {
    std::ofstream out(FRoot / ADir / AName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(ABytes.data()),
              static_cast<std::streamsize>(ABytes.size()));
    if (!out) {
      throw Exception("cannot write the seed " + AName);
    }
    ++FCount;
  }

  int Count() const { return FCount; }

private:
  fs::path FRoot;
  int FCount = 0;
};

void Patch32(TBytes& ABytes, std::size_t AOffset, std::uint32_t AValue) {
  for (std::size_t i = 0; i < 4; ++i) {
    ABytes[AOffset + i] = static_cast<std::uint8_t>(AValue >> (8 * i));
  }
}

// A head on a body with two legs, one rectangle per scan line, the way a traced silhouette
// comes out before banding merges the lines.
TRegion Figure(std::int32_t ALeft, std::int32_t ATop) {
  std::vector<TRect> rows;
  for (std::int32_t y = 0; y < 128; ++y) {
    const std::int32_t head = y < 40 ? 20 - (y - 20) * (y - 20) / 20 : 0;
    const std::int32_t half = y < 40 ? std::max(head, 4) : 14 + (y - 40) / 8;
    const std::int32_t top = ATop + y;
    if (y > 100) { // the gap between the legs
      rows.push_back(TRect{ALeft + 31 - half, top, ALeft + 29, top + 1});
      rows.push_back(TRect{ALeft + 33, top, ALeft + 31 + half, top + 1});
    } else {
      rows.push_back(TRect{ALeft + 31 - half, top, ALeft + 31 + half, top + 1});
    }
  }
  return TRegion::FromRects(std::move(rows));
}

// A record whose rectangles overlap and are out of order: valid, but not yet banded.
TBytes UnsortedRecord() {
  const std::vector<TRect> rects = {
      {10, 10, 20, 20}, {0, 0, 15, 15}, {15, 0, 30, 5}, {-5, 25, 5, 26}};
  TBytes out(32, 0);
  Patch32(out, 0, 32);
  Patch32(out, 4, 1);
  Patch32(out, 8, static_cast<std::uint32_t>(rects.size()));
  Patch32(out, 12, static_cast<std::uint32_t>(rects.size() * 16));
  Patch32(out, 16, static_cast<std::uint32_t>(-5));
  Patch32(out, 24, 30);
  Patch32(out, 28, 26);
  for (const TRect& r : rects) {
    for (std::int32_t v : {r.Left, r.Top, r.Right, r.Bottom}) {
      out.resize(out.size() + 4);
      Patch32(out, out.size() - 4, static_cast<std::uint32_t>(v));
    }
  }
  return out;
}

void AddRegionSeeds(TCorpus& ACorpus) {
  ACorpus.Add("region", "empty", TRegion().ToRecord());
  ACorpus.Add("region", "one-rect", TRegion::FromRects({TRect{8, 40, 70, 168}}).ToRecord());
  ACorpus.Add(
      "region", "ring",
      TRegion::FromRects({{0, 0, 9, 3}, {0, 3, 3, 6}, {6, 3, 9, 6}, {0, 6, 9, 9}}).ToRecord());
  const TRegion figure = Figure(8, 40);
  ACorpus.Add("region", "figure-right", figure.ToRecord());
  ACorpus.Add("region", "figure-left", figure.MirrorX(94)->ToRecord());
  ACorpus.Add(
      "region", "far-corner",
      TRegion::FromRects({TRect{-2147483647 - 1, 2147483600, -2147483600, 2147483647}}).ToRecord());
  ACorpus.Add("region", "unsorted-overlapping", UnsortedRecord());
}

TBitmap8 Picture(std::int32_t AWidth, std::int32_t AHeight, std::size_t APaletteSize) {
  TBitmap8 p;
  p.Width = AWidth;
  p.Height = AHeight;
  for (std::size_t i = 0; i < APaletteSize; ++i) {
    const auto v = static_cast<std::uint8_t>(i * 2);
    p.Palette.push_back(TPaletteEntry{v, static_cast<std::uint8_t>(255 - v), 7});
  }
  p.Pixels.resize(static_cast<std::size_t>(AWidth) * static_cast<std::size_t>(AHeight));
  for (std::size_t i = 0; i < p.Pixels.size(); ++i) {
    p.Pixels[i] = static_cast<std::uint8_t>(i * 7 % APaletteSize);
  }
  return p;
}

// A frame-shaped picture: 121 colours with white at 114 as the background, a figure on it.
TBitmap8 Frame() {
  TBitmap8 p = Picture(FRAME_WIDTH, FRAME_HEIGHT, 121);
  p.Palette[WHITE_INDEX] = TPaletteEntry{255, 255, 255};
  const TRegion figure = Figure(5, 18);
  for (std::int32_t y = 0; y < FRAME_HEIGHT; ++y) {
    for (std::int32_t x = 0; x < FRAME_WIDTH; ++x) {
      p.Pixels[static_cast<std::size_t>(y * FRAME_WIDTH + x)] =
          figure.Contains(x, y) ? static_cast<std::uint8_t>((x + y) % 100) : WHITE_INDEX;
    }
  }
  return p;
}

void AddBitmapSeeds(TCorpus& ACorpus) {
  const TBitmap8 tiny = Picture(1, 1, 1);
  const TBitmap8 padded = Picture(3, 2, 4);
  const TBitmap8 frame = Frame();
  ACorpus.Add("bitmap", "file-1x1", EncodeBitmapFile(tiny));
  ACorpus.Add("bitmap", "file-3x2-padded", EncodeBitmapFile(padded));
  TBytes topDown = EncodeBitmapFile(padded);
  Patch32(topDown, 22, static_cast<std::uint32_t>(-2));
  ACorpus.Add("bitmap", "file-3x2-top-down", topDown);
  TBytes fullPalette = EncodeBitmapFile(Picture(5, 3, 256));
  Patch32(fullPalette, 46, 0); // 0 colours used means all 256
  ACorpus.Add("bitmap", "file-5x3-colours-used-0", fullPalette);
  ACorpus.Add("bitmap", "file-frame", EncodeBitmapFile(frame));
  ACorpus.Add("bitmap", "value-1x1", EncodePictureValue(tiny));
  ACorpus.Add("bitmap", "value-3x2", EncodePictureValue(padded));
  ACorpus.Add("bitmap", "value-frame", EncodePictureValue(frame));
  ACorpus.Add("bitmap", "value-count-0", {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 0, 0, 0, 0});
  ACorpus.Add("bitmap", "value-other-class", {5, 'T', 'I', 'c', 'o', 'n', 2, 0, 0, 0, 'B', 'M'});
}

TBytes HolderData(const TRegion& ARegion) {
  const TBytes record = ARegion.ToRecord();
  TBytes payload(4, 0);
  Patch32(payload, 0, static_cast<std::uint32_t>(record.size()));
  payload.insert(payload.end(), record.begin(), record.end());
  return payload;
}

TComponentRecord MainLikeForm(const TBitmap8& AFramePicture) {
  TComponentRecord root{"TfrmMAIN",
                        "frmMAIN",
                        {{"Left", IntegerValue(796)},
                         {"Top", IntegerValue(248)},
                         {"BorderStyle", IdentValue("bsNone")},
                         {"Caption", StringValue("Nyarumi")},
                         {"ClientHeight", IntegerValue(154)},
                         {"ClientWidth", IntegerValue(88)},
                         {"Color", IdentValue("clWhite")},
                         {"Font.Charset", IdentValue("SHIFTJIS_CHARSET")},
                         {"Font.Height", IntegerValue(-12)},
                         {"Font.Name", StringValue("ＭＳ Ｐゴシック")},
                         {"Font.Style", SetValue({})},
                         {"OldCreateOrder", BoolValue(false)},
                         {"PopupMenu", IdentValue("popMainMenu")},
                         {"Position", IdentValue("poDesktopCenter")},
                         {"OnCreate", IdentValue("FormCreate")},
                         {"PixelsPerInch", IntegerValue(96)},
                         {"TextHeight", IntegerValue(12)}},
                        {}};
  root.Children.push_back({"TImage",
                           "imgMainOMOTE",
                           {{"Left", IntegerValue(0)},
                            {"Top", IntegerValue(0)},
                            {"Width", IntegerValue(88)},
                            {"Height", IntegerValue(154)}},
                           {}});
  root.Children.push_back({"TImage",
                           "TATI1b",
                           {{"Left", IntegerValue(100)},
                            {"Top", IntegerValue(8)},
                            {"Width", IntegerValue(88)},
                            {"Height", IntegerValue(154)},
                            {"AutoSize", BoolValue(true)},
                            {"Picture.Data", BinaryValue(EncodePictureValue(AFramePicture))},
                            {"Visible", BoolValue(false)}},
                           {}});
  root.Children.push_back({"TFormRgn",
                           "FormRgn1",
                           {{"Left", IntegerValue(16)},
                            {"Top", IntegerValue(248)},
                            {"Width", IntegerValue(88)},
                            {"Height", IntegerValue(154)}},
                           {}});
  root.Children.push_back({"TTimer",
                           "anmTimer",
                           {{"Interval", IntegerValue(100000)},
                            {"OnTimer", IdentValue("anmTimerTimer")},
                            {"Left", IntegerValue(48)},
                            {"Top", IntegerValue(248)}},
                           {}});
  TComponentRecord menu{"TPopupMenu",
                        "popMainMenu",
                        {{"AutoHotkeys", IdentValue("maManual")},
                         {"AutoLineReduction", IdentValue("maManual")},
                         {"Left", IntegerValue(80)},
                         {"Top", IntegerValue(248)}},
                        {}};
  menu.Children.push_back({"TMenuItem",
                           "menuItemONTop",
                           {{"Caption", StringValue("常に手前に表示(&V)")},
                            {"Checked", BoolValue(true)},
                            {"ShortCut", IntegerValue(16470)},
                            {"OnClick", IdentValue("menuItemONTopClick")}},
                           {}});
  menu.Children.push_back({"TMenuItem", "N1", {{"Caption", StringValue("-")}}, {}});
  menu.Children.push_back(
      {"TMenuItem",
       "menuItemEND",
       {{"Caption", StringValue("終了(&Q)", 12)}, {"ShortCut", IntegerValue(16465)}},
       {}});
  root.Children.push_back(std::move(menu));
  root.Children.push_back(
      {"TfileIN",
       "rgTATI1b",
       {{"FileName", StringValue("C:\\Documents\\素材\\キャラ\\→\\影\\立ち1影→.RG")},
        {"Left", IntegerValue(112)},
        {"Top", IntegerValue(248)},
        {"DATA", BinaryValue(HolderData(Figure(8, 40)))}},
       {}});
  root.Children.push_back({"TfileIN",
                           "rgTATI1d",
                           {{"FileName", StringValue("C:\\a\\b\\c\\d\\←\\影\\立ち1影←.RG")},
                            {"DATA", BinaryValue({0, 0, 0, 0})}},
                           {}});
  return root;
}

// Menu items nest to any depth: each holds the next as its submenu.
TComponentRecord NestedItems(int ADepth) {
  TComponentRecord r{
      "TMenuItem", "item" + std::to_string(ADepth), {{"Caption", StringValue("&M")}}, {}};
  if (ADepth > 0) {
    r.Children.push_back(NestedItems(ADepth - 1));
  }
  return r;
}

void AddFormSeeds(TCorpus& ACorpus) {
  ACorpus.Add("form", "minimal", WriteFormStream(TComponentRecord{"TfrmMAIN", "frmMAIN", {}, {}}));
  ACorpus.Add("form", "main-like-small-frame", WriteFormStream(MainLikeForm(Picture(4, 3, 3))));
  ACorpus.Add("form", "main-like", WriteFormStream(MainLikeForm(Frame())));
  ACorpus.Add("form", "about-like", WriteFormStream(AboutLikeForm()));
  ACorpus.Add("form", "nested",
              WriteFormStream(TComponentRecord{
                  "TfrmMAIN", "frmMAIN", {}, {{"TPopupMenu", "pop", {}, {NestedItems(12)}}}}));
}

TBytes ReadFile(const fs::path& APath) {
  std::ifstream in(APath, std::ios::binary);
  TBytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    throw Exception("cannot read " + APath.string());
  }
  return bytes;
}

// Each picture value (and its bitmap file) and each embedded record of a real stream.
void SplitRecord(TCorpus& ACorpus, const std::string& AStem, const TComponentRecord& ARecord) {
  for (const auto& [name, value] : ARecord.Properties) {
    if (value.Type != TValue::Kind::Binary) {
      continue;
    }
    const TBytes& bytes = value.Bytes;
    const std::string seed = AStem + "-" + ARecord.Name;
    if (name == "Picture.Data") {
      ACorpus.Add("bitmap", seed + "-value", bytes);
      if (bytes.size() > 12 && bytes[0] == 7) {
        ACorpus.Add("bitmap", seed + "-file", TBytes(bytes.begin() + 12, bytes.end()));
      }
    } else if (name == "DATA" && bytes.size() >= 4) {
      ACorpus.Add("region", seed, TBytes(bytes.begin() + 4, bytes.end()));
    }
  }
  for (const TComponentRecord& child : ARecord.Children) {
    SplitRecord(ACorpus, AStem, child);
  }
}

void AddStream(TCorpus& ACorpus, const fs::path& APath) {
  const TBytes bytes = ReadFile(APath);
  const std::string stem = APath.stem().string();
  ACorpus.Add("form", stem, bytes);
  SplitRecord(ACorpus, stem, ReadFormStream(bytes));
}

} // namespace
} // namespace nyarumi::fuzz

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR [STREAM.bin ...]\n", argv[0]);
    return 2;
  }
  try {
    nyarumi::fuzz::TCorpus corpus(argv[1]);
    nyarumi::fuzz::AddRegionSeeds(corpus);
    nyarumi::fuzz::AddBitmapSeeds(corpus);
    nyarumi::fuzz::AddFormSeeds(corpus);
    for (int i = 2; i < argc; ++i) {
      nyarumi::fuzz::AddStream(corpus, argv[i]);
    }
    std::printf("%d seeds in %s\n", corpus.Count(), argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
