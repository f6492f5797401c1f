// artgen: draws the character and writes the two form streams (and, on request, contact
// sheets to look at her, or the program's icons).
//   artgen [--out DIR] [--sheet FILE.png] [--outlines FILE.png] [--scale N]
//   artgen --icons DIR     only the icons, as DIR/<size>x<size>/apps/nyarumi.png
#include "common/Errors.h"
#include "tools/Artwork.h"
#include "tools/Icon.h"
#include "tools/Sheet.h"
#include "tools/Streams.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace {

void WriteFile(const std::string& APath, const std::vector<std::uint8_t>& ABytes) {
  std::ofstream out(APath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(ABytes.data()),
            static_cast<std::streamsize>(ABytes.size()));
  if (!out) {
    throw nyarumi::Exception("cannot write " + APath);
  }
  std::cout << APath << ": " << ABytes.size() << " bytes\n";
}

void WriteIcons(const nyarumi::art::TArtwork& AArt, const std::string& ADir) {
  for (const nyarumi::art::TIconView& view : nyarumi::art::IconViews()) {
    const std::string size = std::to_string(view.Size);
    const std::filesystem::path dir = std::filesystem::path(ADir) / (size + "x" + size) / "apps";
    std::filesystem::create_directories(dir);
    WriteFile((dir / "nyarumi.png").string(), nyarumi::art::IconPng(AArt, view));
  }
}

void Report(const nyarumi::art::TArtwork& AArt) {
  std::size_t fewest = 256;
  std::size_t most = 0;
  std::size_t rectsLo = SIZE_MAX;
  std::size_t rectsHi = 0;
  for (const auto& f : AArt.Frames) {
    const std::set<std::uint8_t> used(f.Picture.Pixels.begin(), f.Picture.Pixels.end());
    fewest = std::min(fewest, used.size());
    most = std::max(most, used.size());
    rectsLo = std::min(rectsLo, f.Region.Rects().size());
    rectsHi = std::max(rectsHi, f.Region.Rects().size());
  }
  std::cout << "palette entries used per frame: " << fewest << " to " << most << " of "
            << AArt.Palette.size() << "; rectangles per record: " << rectsLo << " to " << rectsHi
            << "\n";
}

} // namespace

int main(int argc, char** argv) {
  std::string outDir = "data";
  std::string sheet;
  std::string outlines;
  std::string icons;
  int scale = 2;
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--out" && hasValue) {
      outDir = args[++i];
    } else if (args[i] == "--sheet" && hasValue) {
      sheet = args[++i];
    } else if (args[i] == "--outlines" && hasValue) {
      outlines = args[++i];
    } else if (args[i] == "--icons" && hasValue) {
      icons = args[++i];
    } else if (args[i] == "--scale" && hasValue) {
      scale = std::stoi(args[++i]);
    } else {
      std::cerr << "usage: artgen [--out DIR] [--sheet FILE.png] [--outlines FILE.png] "
                   "[--scale N]\n       artgen --icons DIR\n";
      return 2;
    }
  }
  try {
    const nyarumi::art::TArtwork art = nyarumi::art::BuildArtwork();
    // The build makes the icons on its own and must leave the form streams in data/ alone.
    if (!icons.empty()) {
      WriteIcons(art, icons);
      return 0;
    }
    WriteFile(outDir + "/TFRMMAIN.bin", nyarumi::art::MainStream(art));
    WriteFile(outDir + "/TFRMABUT.bin", nyarumi::art::AboutStream());
    if (!sheet.empty()) {
      WriteFile(sheet, nyarumi::art::ContactSheet(art, scale, false));
    }
    if (!outlines.empty()) {
      WriteFile(outlines, nyarumi::art::ContactSheet(art, scale, true));
    }
    Report(art);
  } catch (const std::exception& e) {
    std::cerr << "artgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
