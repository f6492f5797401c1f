// Command lines for the Windows handlers, checked against the system's own splitter: whatever an
// address holds, the started program gets it back as one argument.
#include "shell/platform/win32_cmdline.h"
#include "shell/platform/win32_text.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <windows.h>

namespace nyarumi::win32 {
namespace {

// What a program started with this command line finds in its arguments.
std::vector<std::string> SystemSplit(const std::string& ALine) {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(Widen(ALine).c_str(), &count);
  std::vector<std::string> result;
  for (int i = 0; i < count; ++i) {
    result.push_back(Narrow(words[i]));
  }
  LocalFree(words);
  return result;
}

TEST(Win32CommandLine, EveryArgumentComesBackWhole) {
  const std::vector<std::string> arguments = {
      "nyarumi@example.org",
      "http://nyarumi.example.org/?a=1&b=2",
      "mailto:a@b.org?subject=\"hi there\"",
      "\" & calc.exe & \"",
      "with space",
      "trailing\\",
      "trailing space\\",
      "quote\\\"inside",
      "two\\\\\"quotes\"",
      "\t tab and blanks \t",
      "",
      "ねこ@例え.jp",
      "%1 %u",
  };
  for (const std::string& argument : arguments) {
    const std::string line = JoinCommandLine({"C:\\Program Files\\Mail\\mail.exe", argument});
    EXPECT_EQ(SystemSplit(line),
              (std::vector<std::string>{"C:\\Program Files\\Mail\\mail.exe", argument}))
        << line;
  }
}

TEST(Win32CommandLine, ARegisteredCommandSplitsAsTheSystemSplitsIt) {
  const std::vector<std::string> commands = {
      "\"C:\\Program Files\\Mail\\mail.exe\" /compose",
      "C:\\mail.exe -a \"b c\" d",
      "\"C:\\Program Files (x86)\\Browser\\browser.exe\" -osint -url",
      "C:\\a.exe \"x\\\"y\" z\\\\\"w v\"",
      "C:\\a.exe \"\" last",
      "C:\\a.exe   spaced\targs  ",
      "\"C:\\dir\\\" arg",
  };
  for (const std::string& command : commands) {
    EXPECT_EQ(SplitCommandLine(command), SystemSplit(command)) << command;
  }
  // Unlike the system's splitter, blanks before the program do not make an empty program name.
  EXPECT_EQ(SplitCommandLine("  C:\\a.exe x"), (std::vector<std::string>{"C:\\a.exe", "x"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

} // namespace
} // namespace nyarumi::win32
