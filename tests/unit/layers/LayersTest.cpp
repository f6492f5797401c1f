// The layering that lets a second backend exist: the core never reaches up into the shell or a
// toolkit, and no shared header takes a name that a platform's own headers define as a macro.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
// GCC 12 warns falsely inside std::regex once the sanitizers are on.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = NYARUMI_SOURCE_DIR;

std::string ReadAll(const fs::path& APath) {
  std::ifstream in(APath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Source files under the folder, with their paths relative to the repository.
std::vector<fs::path> SourcesUnder(const std::string& AFolder) {
  std::vector<fs::path> out;
  for (const auto& entry : fs::recursive_directory_iterator(kSource / AFolder)) {
    const auto ext = entry.path().extension();
    if (entry.is_regular_file() && (ext == ".h" || ext == ".cpp")) {
      out.push_back(fs::relative(entry.path(), kSource));
    }
  }
  return out;
}

// Code without its comments and string or character literals, so that only real names remain.
std::string CodeOnly(const std::string& AText) {
  static const std::regex noise(R"(//[^\n]*|/\*[\s\S]*?\*/|"(\\.|[^"\\\n])*"|'(\\.|[^'\\\n])*')");
  return std::regex_replace(AText, noise, " ");
}

// A file that belongs to one platform by its name, and may use that platform's headers.
bool IsPlatformFile(const fs::path& APath) {
  static const std::regex platform(R"((^|_)(qt|win32|x11|xdg|iconv)(_|\.))");
  return std::regex_search(APath.filename().string(), platform);
}

TEST(Layers, TheCoreIncludesNothingFromTheShellOrAToolkit) {
  static const std::regex upward(
      R"(#\s*include\s*[<"](shell/|Q[A-Za-z]*[>"/]|qt|xcb/|X11/|windows\.h|gtk))");
  int checked = 0;
  for (const char* folder : {"common", "engine", "assets", "shape"}) {
    for (const fs::path& file : SourcesUnder(folder)) {
      ++checked;
      if (IsPlatformFile(file)) {
        continue; // the one converter a platform supplies (shiftjis_iconv.cpp …)
      }
      std::smatch match;
      const std::string text = ReadAll(kSource / file);
      EXPECT_FALSE(std::regex_search(text, match, upward)) << file << ": " << match.str();
    }
  }
  EXPECT_GT(checked, 20) << "the folders were found";
}

TEST(Layers, NoSharedHeaderTakesAPlatformMacroName) {
  // <windows.h> defines these as macros (the A/W switch or plain constants).
  static const std::regex clash(
      R"(\b(ANSI_CHARSET|DEFAULT_CHARSET|SHIFTJIS_CHARSET|FindResource|FormatMessage|AddForm|CreateWindow|DrawText|GetObject|LoadImage|SendMessage|PostMessage|GetMessage|CreateFont|TextOut|GetCharWidth|RegisterClass|LoadCursor|MessageBox|GetClassName|SetWindowText|GetWindowText)\b)");
  int checked = 0;
  for (const char* folder : {"common", "engine", "assets", "shape", "shell"}) {
    for (const fs::path& file : SourcesUnder(folder)) {
      if (file.extension() != ".h" || IsPlatformFile(file)) {
        continue;
      }
      ++checked;
      const std::string code = CodeOnly(ReadAll(kSource / file));
      std::smatch match;
      EXPECT_FALSE(std::regex_search(code, match, clash)) << file << ": " << match.str();
    }
  }
  EXPECT_GT(checked, 30) << "the headers were found";
}

} // namespace
