// The backend's translations that need no window: pixel ratios, keys, settings files, desktop
// files, region lists and copy rectangles.
#include "shell/platform/qt_canvas.h"
#include "shell/platform/qt_desktop.h"
#include "shell/platform/qt_input.h"
#include "shell/platform/qt_region.h"
#include "shell/platform/qt_xcb.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace nyarumi::qt {
namespace {

namespace fs = std::filesystem;

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

TEST(Keys, KeyPressesBecomeShortCutValues) {
  struct Case {
    int Key;
    Qt::KeyboardModifiers Mods;
    std::optional<TShortCut> Expected;
  };
  const Case Cases[] = {
      {Qt::Key_V, Qt::ControlModifier, 16470}, // the stay-on-top item
      {Qt::Key_A, Qt::ControlModifier, 16449},
      {Qt::Key_Q, Qt::ControlModifier, 16465},
      {Qt::Key_Q, Qt::NoModifier, 'Q'},
      {Qt::Key_5, Qt::ShiftModifier, scShift | '5'},
      {Qt::Key_F1, Qt::AltModifier, scAlt | 0x70},
      {Qt::Key_F12, Qt::NoModifier, 0x7B},
      {Qt::Key_Escape, Qt::NoModifier, 0x1B},
      {Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier, scCtrl | scShift | 0x2E},
      {Qt::Key_Control, Qt::ControlModifier, std::nullopt}, // a bare modifier is no shortcut
      {Qt::Key_Eacute, Qt::NoModifier, std::nullopt},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Key);
    EXPECT_EQ(ShortCutOf(C.Key, C.Mods), C.Expected);
  }
}

TEST(Keys, MouseStateCarriesModifiersAndHeldButtons) {
  EXPECT_EQ(ShiftStateOf(Qt::ControlModifier | Qt::ShiftModifier, Qt::LeftButton | Qt::RightButton),
            ssCtrl | ssShift | ssLeft | ssRight);
  EXPECT_EQ(ShiftStateOf(Qt::AltModifier, Qt::MiddleButton), ssAlt | ssMiddle);
  EXPECT_EQ(MouseButtonOf(Qt::RightButton), TMouseButton::mbRight);
  EXPECT_EQ(MouseButtonOf(Qt::BackButton), std::nullopt);
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
  const fs::path Root = fs::temp_directory_path() / "nyarumi-qt-desktop-test";
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

QRegion Union(const std::vector<TRect>& ARects) {
  QRegion R;
  for (const TRect& T : ARects) {
    R += RectOf(T);
  }
  return R;
}

TEST(Regions, RectangleListsBecomeTheSamePixelsWhateverTheirOrder) {
  struct Case {
    const char* Name;
    std::vector<TRect> Rects;
    bool Banded;
  };
  const std::vector<Case> Cases{
      {"empty", {}, true},
      {"one", {{1, 2, 3, 4}}, true},
      {"banded", {{0, 0, 4, 2}, {6, 0, 9, 2}, {1, 2, 8, 5}}, true},
      {"touching in a band", {{0, 0, 4, 2}, {4, 0, 9, 2}}, false},
      {"overlapping", {{0, 0, 5, 5}, {3, 3, 8, 8}}, false},
      {"unsorted bands", {{0, 5, 4, 6}, {0, 0, 4, 2}}, false},
      {"bands overlapping vertically", {{0, 0, 4, 3}, {6, 2, 8, 4}}, false},
      {"ragged band", {{0, 0, 4, 2}, {6, 0, 9, 3}}, false},
      {"empty rectangle", {{0, 0, 4, 2}, {5, 5, 5, 9}}, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(IsBanded(C.Rects), C.Banded);
    EXPECT_TRUE(RegionOf(C.Rects).xored(Union(C.Rects)).isEmpty());
  }
}

TEST(CopyRects, SourcesAreClippedToThePictureAndScaledToTheDestination) {
  struct Case {
    const char* Name;
    TRect Dest, Source;
    std::optional<QRect> WantDest, WantSource;
  };
  const Case Cases[] = {
      {"same size", {0, 0, 87, 153}, {0, 0, 87, 153}, QRect(0, 0, 87, 153), QRect(0, 0, 87, 153)},
      {"clipped right and bottom",
       {10, 10, 110, 210},
       {0, 0, 100, 200},
       QRect(10, 10, 88, 154),
       QRect(0, 0, 88, 154)},
      {"clipped left", {0, 0, 20, 10}, {-10, 0, 10, 10}, QRect(10, 0, 10, 10), QRect(0, 0, 10, 10)},
      {"stretched twice",
       {0, 0, 176, 308},
       {0, 0, 88, 154},
       QRect(0, 0, 176, 308),
       QRect(0, 0, 88, 154)},
      {"outside", {0, 0, 10, 10}, {100, 0, 110, 10}, std::nullopt, std::nullopt},
      {"empty destination", {5, 5, 5, 9}, {0, 0, 4, 4}, std::nullopt, std::nullopt},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const auto R = ClipCopy(C.Dest, C.Source, 88, 154);
    ASSERT_EQ(R.has_value(), C.WantDest.has_value());
    if (R) {
      EXPECT_EQ(R->Dest, *C.WantDest);
      EXPECT_EQ(R->Source, *C.WantSource);
    }
  }
}

} // namespace
} // namespace nyarumi::qt
