// The Linux helpers that any Linux backend shares: desktop entries and their commands, the
// settings file, default handlers, and the pixel-ratio arithmetic for the X server's geometry.
#include "shell/platform/x11_ewmh.h"
#include "shell/platform/xdg_desktop.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace nyarumi {
namespace {

namespace fs = std::filesystem;
using namespace xdg;
using namespace x11;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A scratch folder with the environment variables pointed into it, restored afterwards.
class DesktopTest : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() /
          ("nyarumi-xdg-" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override {
    for (const auto& [Name, Value] : Saved) {
      if (Value) {
        setenv(Name.c_str(), Value->c_str(), 1);
      } else {
        unsetenv(Name.c_str());
      }
    }
    fs::remove_all(Dir);
  }
  void SetEnv(const std::string& AName, const std::string& AValue) {
    const char* Old = std::getenv(AName.c_str());
    Saved.emplace_back(AName, Old ? std::optional<std::string>(Old) : std::nullopt);
    setenv(AName.c_str(), AValue.c_str(), 1);
  }
  void Write(const fs::path& APath, const std::string& AText, bool AExecutable = false) {
    fs::create_directories(APath.parent_path());
    std::ofstream(APath) << AText;
    if (AExecutable) {
      fs::permissions(APath, fs::perms::owner_all, fs::perm_options::add);
    }
  }
  fs::path Dir;
  std::vector<std::pair<std::string, std::optional<std::string>>> Saved;
};

TEST(PixelRatio, DeviceRectanglesBecomeTheLogicalRectanglesThatCoverThem) {
  struct Case {
    double Ratio;
    TRect Device;
    TRect Logical;
  };
  const Case Cases[] = {
      {1.0, {3, 5, 9, 11}, {3, 5, 9, 11}},   {2.0, {4, 6, 10, 12}, {2, 3, 5, 6}},
      {2.0, {3, 5, 9, 11}, {1, 2, 5, 6}}, // odd edges round outwards
      {2.0, {-3, -5, 1, 1}, {-2, -3, 1, 1}}, {1.5, {0, 0, 100, 100}, {0, 0, 67, 67}},
      {0.0, {3, 5, 9, 11}, {3, 5, 9, 11}}, // no usable ratio: pixels are taken as they are
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Ratio);
    EXPECT_EQ(DeviceToLogical(C.Device, C.Ratio), C.Logical);
  }
}

TEST(PixelRatio, LogicalToDeviceAndBackIsTheIdentityForWholeRatios) {
  const TRect Logical{-7, 3, 88, 154};
  for (const double Ratio : {1.0, 2.0, 3.0}) {
    EXPECT_EQ(DeviceToLogical(LogicalToDevice(Logical, Ratio), Ratio), Logical);
    const TPoint P{-5, 9};
    EXPECT_EQ(DeviceToLogical(LogicalToDevice(P, Ratio), Ratio), P);
  }
  EXPECT_EQ(LogicalToDevice(TPoint{10, -3}, 2.0), (TPoint{20, -6}));
  EXPECT_EQ(DeviceToLogical(TPoint{5, -3}, 2.0), (TPoint{2, -2}));
}

TEST(IniSettings, ValuesAreFoundBySectionAndNameIgnoringCase) {
  const auto S = TIniSettings::Parse("; link colours\n"
                                     "[Software\\Microsoft\\Internet Explorer\\Settings]\n"
                                     "Anchor Color = 10,20,30\r\n"
                                     "use anchor hover color=\"yes\"\n"
                                     "Anchor Color=0,0,0\n"
                                     "# nothing=here\n"
                                     "Empty=\n"
                                     "[Other]\n"
                                     "Anchor Color Hover=1,2,3\n");
  const std::string Key = "Software\\Microsoft\\Internet Explorer\\Settings";
  EXPECT_EQ(S.Value(Key, "Anchor Color"), "10,20,30") << "the first occurrence wins";
  EXPECT_EQ(S.Value("SOFTWARE\\microsoft\\internet explorer\\settings", "ANCHOR COLOR"),
            "10,20,30");
  EXPECT_EQ(S.Value(Key, "Use Anchor Hover Color"), "yes");
  EXPECT_EQ(S.Value(Key, "Empty"), "");
  EXPECT_EQ(S.Value(Key, "Anchor Color Hover"), std::nullopt) << "another section's value";
  EXPECT_EQ(S.Value(Key, "# nothing"), std::nullopt);
  EXPECT_EQ(TIniSettings::Load("/nonexistent/settings.ini").Value(Key, "Anchor Color"),
            std::nullopt);
}

const std::string LinkSection = "Software\\Microsoft\\Internet Explorer\\Settings";

void WriteBytes(const fs::path& APath, const std::string& ABytes) {
  std::ofstream(APath, std::ios::binary) << ABytes;
}

// A settings file that sets the link colour, padded by one long comment line to ASize bytes.
std::string SettingsText(std::size_t ASize = 0, const char* ANewline = "\n") {
  std::string Text = "[" + LinkSection + "]" + ANewline + "Anchor Color=1,2,3" + ANewline;
  if (ASize > Text.size()) {
    Text += std::string(ASize - Text.size() - 1, ';') + "\n";
  }
  return Text;
}

TEST(IniSettings, OnlyASmallRegularFileIsReadAndNothingBlocks) {
  const fs::path Root = fs::temp_directory_path() / "nyarumi-settings-test";
  fs::remove_all(Root);
  fs::create_directories(Root);
  const fs::path Path = Root / "settings.ini";
  struct Case {
    const char* Name;
    std::function<void()> Make;
    std::optional<std::string> Expected;
  };
  const Case Cases[] = {
      {"a plain file", [&] { WriteBytes(Path, SettingsText()); }, "1,2,3"},
      {"CRLF line ends", [&] { WriteBytes(Path, SettingsText(0, "\r\n")); }, "1,2,3"},
      {"binary junk around the value",
       [&] {
         WriteBytes(Path, std::string("\0\xff\xfe=\x01[\n", 7) + SettingsText() +
                              std::string("\0\x80\x9f]\n=", 6));
       },
       "1,2,3"},
      {"exactly 64 KiB", [&] { WriteBytes(Path, SettingsText(64 * 1024)); }, "1,2,3"},
      {"one byte over 64 KiB", [&] { WriteBytes(Path, SettingsText(64 * 1024 + 1)); }, {}},
      // Opening a FIFO without a writer would block start-up forever.
      {"a FIFO", [&] { ASSERT_EQ(::mkfifo(Path.c_str(), 0600), 0); }, {}},
      // Reading /dev/zero would never end.
      {"a link to /dev/zero", [&] { fs::create_symlink("/dev/zero", Path); }, {}},
      {"a directory", [&] { fs::create_directory(Path); }, {}},
      {"a dangling link", [&] { fs::create_symlink(Root / "gone", Path); }, {}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    fs::remove_all(Path);
    C.Make();
    EXPECT_EQ(TIniSettings::Load(Path.string()).Value(LinkSection, "Anchor Color"), C.Expected);
  }
  fs::remove_all(Root);
}

TEST(IniSettings, AFileTheUserCannotReadIsAbsent) {
  const fs::path Root = fs::temp_directory_path() / "nyarumi-settings-unreadable";
  fs::remove_all(Root);
  fs::create_directories(Root);
  const fs::path Path = Root / "settings.ini";
  WriteBytes(Path, SettingsText());
  ASSERT_EQ(TIniSettings::Load(Path.string()).Value(LinkSection, "Anchor Color"), "1,2,3");
  fs::permissions(Path, fs::perms::none);
  if (::geteuid() != 0) {
    EXPECT_EQ(TIniSettings::Load(Path.string()).Value(LinkSection, "Anchor Color"), std::nullopt);
  } else {
    // Root reads any file: read it as an ordinary user (nobody) in a child process instead.
    fs::permissions(Root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const pid_t Child = ::fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
      const bool Absent = ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
                          !TIniSettings::Load(Path.string()).Value(LinkSection, "Anchor Color");
      ::_exit(Absent ? 0 : 1);
    }
    int Status = 0;
    ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
    EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0)
        << "as nobody, a mode-000 file gave a value (or the change of user failed)";
  }
  fs::remove_all(Root);
}

TEST(SessionMessages, AnEmptyVariableCountsAsUnset) {
  struct Case {
    std::optional<std::string_view> Value;
    const char* Display; // as the no-display line names it
    bool Wayland;
  };
  const Case Cases[] = {
      {std::nullopt, "(DISPLAY is not set)", false},
      {"", "(DISPLAY is not set)", false},
      {":4242", "\":4242\"", true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Display);
    EXPECT_EQ(NoDisplayMessage(C.Value), std::string("cannot open the X11 display ") + C.Display +
                                             "; Nyarumi needs an X11 desktop");
    EXPECT_EQ(WaylandSessionNote(C.Value).has_value(), C.Wayland);
  }
}

TEST(DesktopFiles, ExecIsTakenFromTheDesktopEntryGroupOnly) {
  struct Case {
    const char* Text;
    std::optional<std::string> Exec;
  };
  const Case Cases[] = {
      {"[Desktop Entry]\nName=Browser\nExec=browser %u\n", "browser %u"},
      {"[Desktop Action new]\nExec=browser --new\n[Desktop Entry]\nExec=\"/opt/b b\" %U\n",
       "\"/opt/b b\" %U"},
      {"[Desktop Entry]\nExec[de]=x\nTryExec=y\n", std::nullopt},
      {"[Desktop Entry]\nExec=\n", std::nullopt},
      {"Exec=outside\n", std::nullopt},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(DesktopExecLine(C.Text), C.Exec);
  }
}

TEST(DesktopFiles, IdsAreLookedUpInDataDirsInOrderAndThroughVendorFolders) {
  const fs::path Root = fs::temp_directory_path() / "nyarumi-xdg-desktop-test";
  fs::remove_all(Root);
  const auto Touch = [](const fs::path& P) {
    fs::create_directories(P.parent_path());
    std::ofstream(P) << "[Desktop Entry]\n";
  };
  Touch(Root / "b/applications/mail.desktop");
  Touch(Root / "c/applications/mail.desktop");
  Touch(Root / "c/applications/kde/viewer.desktop");
  const std::vector<std::string> Dirs{(Root / "a").string(), (Root / "b").string(),
                                      (Root / "c").string()};

  EXPECT_EQ(FindDesktopFile("mail.desktop", Dirs), (Root / "b/applications/mail.desktop").string());
  EXPECT_EQ(FindDesktopFile("kde-viewer.desktop", Dirs),
            (Root / "c/applications/kde/viewer.desktop").string());
  EXPECT_EQ(FindDesktopFile("none.desktop", Dirs), std::nullopt);
  EXPECT_EQ(FindDesktopFile("../b/applications/mail.desktop", Dirs), std::nullopt);
  EXPECT_EQ(FindDesktopFile("", Dirs), std::nullopt);
  fs::remove_all(Root);
}

TEST(SplitCommandLine, FollowsTheDesktopEntryQuoting) {
  EXPECT_THAT(SplitCommandLine("  a   b\tc "), ElementsAre("a", "b", "c"));
  EXPECT_THAT(SplitCommandLine(R"("/opt/my app/run" --x)"), ElementsAre("/opt/my app/run", "--x"));
  EXPECT_THAT(SplitCommandLine(R"(a "say \"hi\" \$HOME \`x\` \\\\" "")"),
              ElementsAre("a", R"(say "hi" $HOME `x` \)", ""));
  // The file's own escapes come first: \s is a blank, \\\\ a backslash inside quotes.
  EXPECT_THAT(SplitCommandLine(R"(a\sb "c\\\\d")"), ElementsAre("a", "b", R"(c\d)"));
  // A path written with backslashes, as another platform would register it, is not a desktop
  // entry's: "\s" is a blank there, and other backslash-letter pairs stay as they are.
  EXPECT_THAT(SplitCommandLine(R"("C:\windows\system32\winebrowser.exe" "%1")"),
              ElementsAre(R"(C:\windows ystem32\winebrowser.exe)", "%1"));
  EXPECT_THAT(SplitCommandLine(R"(a "unterminated)"), IsEmpty());
  EXPECT_THAT(SplitCommandLine(""), IsEmpty());
}

TEST(HandlerArgv, AppendsTheAddressAsItsOwnArgument) {
  EXPECT_THAT(HandlerArgv("firefox", "http://x/"), ElementsAre("firefox", "http://x/"));
  EXPECT_THAT(HandlerArgv("mailer", "a@b"), ElementsAre("mailer", "a@b"));
  EXPECT_THAT(HandlerArgv("thunderbird -compose -safe", "a@b"),
              ElementsAre("thunderbird", "-compose", "-safe", "a@b"));
  // An empty caption still goes, as an empty argument.
  EXPECT_THAT(HandlerArgv("mailer", ""), ElementsAre("mailer", ""));
  // Field codes with nothing to stand for go; %% is a percent sign.
  EXPECT_THAT(HandlerArgv("app %i --title=100%%", "a@b"),
              ElementsAre("app", "--title=100%", "a@b"));
}

TEST(HandlerArgv, NoCaptionCanBecomeACommandOrAnotherWord) {
  const char* hostile[] = {"a@b; rm -rf ~", "x\" --evil \"y", "$(touch /tmp/p)",
                           "a b\tc",        "`id`",           "http://x/ && reboot"};
  for (const char* address : hostile) {
    EXPECT_THAT(HandlerArgv("mailer", address), ElementsAre("mailer", address));
  }
}

TEST(HandlerArgv, StartsNothingWithoutAProgram) {
  EXPECT_THAT(HandlerArgv("", "a@b"), IsEmpty());
  EXPECT_THAT(HandlerArgv("   ", "a@b"), IsEmpty());
  EXPECT_THAT(HandlerArgv("\"open", "a@b"), IsEmpty());
}

TEST_F(DesktopTest, HandlersStartWithoutAShellSoTheAddressStaysWhole) {
  // A handler that writes its arguments, one per line, and then says it is done.
  const fs::path Out = Dir / "args";
  Write(Dir / "bin/handler",
        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
        "mv \"$0.tmp\" " +
            Out.string() + "\n",
        true);
  const std::string Odd = "a b;touch injected";
  ASSERT_TRUE(StartHandler("\"" + (Dir / "bin/handler").string() + "\" --compose", Odd));
  // The handler runs detached: wait for its file, which appears whole (renamed into place).
  for (int I = 0; I < 500 && !fs::exists(Out); ++I) {
    usleep(10'000);
  }
  std::ifstream In(Out);
  std::vector<std::string> Args;
  for (std::string Line; std::getline(In, Line);) {
    Args.push_back(Line);
  }
  EXPECT_THAT(Args, ElementsAre("--compose", Odd));
  EXPECT_FALSE(fs::exists(fs::current_path() / "injected"));
  EXPECT_FALSE(StartHandler("", "a@b"));
  EXPECT_FALSE(StartHandler((Dir / "no-such-program").string(), "a@b"));
}

TEST_F(DesktopTest, DefaultHandlersComeFromXdgMimeAndTheirDesktopFile) {
  // A stand-in for xdg-mime that knows one browser and no mail program.
  Write(Dir / "bin/xdg-mime",
        "#!/bin/sh\n[ \"$3\" = text/html ] && echo web-browser.desktop\nexit 0\n", true);
  Write(Dir / "data/applications/web/browser.desktop",
        "[Desktop Entry]\nName=B\nExec=/opt/browser/run --new-tab %u\n");
  SetEnv("PATH", (Dir / "bin").string() + ":" + std::getenv("PATH"));
  SetEnv("XDG_DATA_HOME", (Dir / "data").string());
  SetEnv("XDG_DATA_DIRS", (Dir / "none").string());

  EXPECT_EQ(DefaultHandlerExec("text/html"), "/opt/browser/run --new-tab %u");
  EXPECT_EQ(DefaultHandlerExec("x-scheme-handler/mailto"), std::nullopt);
}

} // namespace
} // namespace nyarumi
