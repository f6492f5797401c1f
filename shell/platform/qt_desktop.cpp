#include "shell/platform/qt_desktop.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace nyarumi::qt {
namespace {

std::string_view Trim(std::string_view S) {
  const auto First = S.find_first_not_of(" \t\r\n");
  if (First == std::string_view::npos) {
    return {};
  }
  const auto Last = S.find_last_not_of(" \t\r\n");
  return S.substr(First, Last - First + 1);
}

bool SameIgnoringCase(std::string_view A, std::string_view B) {
  return std::equal(A.begin(), A.end(), B.begin(), B.end(), [](char X, char Y) {
    auto Lower = [](char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C + 32) : C; };
    return Lower(X) == Lower(Y);
  });
}

std::string_view Unquote(std::string_view S) {
  if (S.size() >= 2 && S.front() == '"' && S.back() == '"') {
    return S.substr(1, S.size() - 2);
  }
  return S;
}

// Calls AOnLine(section, name, value) for every "name=value" line of an INI-like text.
template <typename F> void ForEachKeyLine(std::string_view AText, F AOnLine) {
  std::string_view Section;
  while (!AText.empty()) {
    const auto End = AText.find('\n');
    const std::string_view Line = Trim(AText.substr(0, End));
    AText = End == std::string_view::npos ? std::string_view{} : AText.substr(End + 1);
    if (Line.empty() || Line.front() == ';' || Line.front() == '#') {
      continue;
    }
    if (Line.front() == '[') {
      const auto Close = Line.find(']');
      Section = Close == std::string_view::npos ? std::string_view{} : Line.substr(1, Close - 1);
      continue;
    }
    const auto Eq = Line.find('=');
    if (Eq != std::string_view::npos) {
      AOnLine(Section, Trim(Line.substr(0, Eq)), Trim(Line.substr(Eq + 1)));
    }
  }
}

std::optional<std::string> ReadFile(const std::string& APath) {
  std::ifstream In(APath, std::ios::binary);
  if (!In) {
    return std::nullopt;
  }
  std::ostringstream Text;
  Text << In.rdbuf();
  return Text.str();
}

// No settings file is anywhere near this; anything larger is not one.
constexpr std::size_t MAX_SETTINGS_BYTES = 64 * 1024;

// Closes a descriptor on every way out.
class TFileHandle {
public:
  explicit TFileHandle(int AFd) : FFd(AFd) {}
  ~TFileHandle() {
    if (FFd >= 0) {
      ::close(FFd);
    }
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  int Get() const { return FFd; }

private:
  int FFd;
};

// At most ALimit bytes of an open file; nothing when reading fails or there is more.
std::optional<std::string> ReadAtMost(int AFd, std::size_t ALimit) {
  std::string Text(ALimit + 1, '\0');
  std::size_t Got = 0;
  while (Got < Text.size()) {
    const ssize_t N = ::read(AFd, Text.data() + Got, Text.size() - Got);
    if (N < 0 && errno == EINTR) {
      continue;
    }
    if (N < 0) {
      return std::nullopt;
    }
    if (N == 0) {
      break;
    }
    Got += static_cast<std::size_t>(N);
  }
  if (Got > ALimit) {
    return std::nullopt; // it grew past the limit after fstat
  }
  Text.resize(Got);
  return Text;
}

// The settings file's text. Only a regular file of at most MAX_SETTINGS_BYTES counts: a FIFO
// would block start-up forever and a device such as /dev/zero would never end. The open does
// not block, and the type is checked on the opened file so that it cannot change in between.
std::optional<std::string> ReadSettingsFile(const std::string& APath) {
  const TFileHandle File(::open(APath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat Info {};
  if (File.Get() < 0 || ::fstat(File.Get(), &Info) != 0 || !S_ISREG(Info.st_mode) ||
      Info.st_size < 0 || static_cast<std::uintmax_t>(Info.st_size) > MAX_SETTINGS_BYTES) {
    return std::nullopt;
  }
  return ReadAtMost(File.Get(), MAX_SETTINGS_BYTES);
}

std::string EnvOr(const char* AName, const std::string& AFallback) {
  const char* V = std::getenv(AName);
  return (V != nullptr && *V != '\0') ? std::string(V) : AFallback;
}

std::string Home() {
  return EnvOr("HOME", "/");
}

bool IsFile(const std::string& APath) {
  return std::ifstream(APath).good();
}

} // namespace

TIniSettings TIniSettings::Parse(std::string_view AText) {
  TIniSettings Result;
  ForEachKeyLine(AText, [&](std::string_view S, std::string_view N, std::string_view V) {
    Result.FEntries.push_back({std::string(Trim(S)), std::string(N), std::string(Unquote(V))});
  });
  return Result;
}

TIniSettings TIniSettings::Load(const std::string& APath) {
  const auto Text = ReadSettingsFile(APath);
  return Text ? Parse(*Text) : TIniSettings{};
}

std::optional<std::string> TIniSettings::Value(std::string_view ASection,
                                               std::string_view AName) const {
  for (const Entry& E : FEntries) {
    if (SameIgnoringCase(E.Section, ASection) && SameIgnoringCase(E.Name, AName)) {
      return E.Value;
    }
  }
  return std::nullopt;
}

std::string DefaultSettingsPath() {
  return EnvOr("XDG_CONFIG_HOME", Home() + "/.config") + "/nyarumi/settings.ini";
}

std::optional<std::string> DesktopExecLine(std::string_view ADesktopFile) {
  std::optional<std::string> Exec;
  ForEachKeyLine(ADesktopFile, [&](std::string_view S, std::string_view N, std::string_view V) {
    if (!Exec && S == "Desktop Entry" && N == "Exec" && !V.empty()) {
      Exec = std::string(V);
    }
  });
  return Exec;
}

std::optional<std::string> FindDesktopFile(std::string_view ADesktopId,
                                           const std::vector<std::string>& ADataDirs) {
  if (ADesktopId.empty() || ADesktopId.find('/') != std::string_view::npos) {
    return std::nullopt; // an id is a file name; a path would escape applications/
  }
  for (const std::string& Dir : ADataDirs) {
    // "a-b-c.desktop" may be applications/a-b-c.desktop, a/b-c.desktop or a/b/c.desktop.
    std::string Relative(ADesktopId);
    while (true) {
      const std::string Path = Dir + "/applications/" + Relative;
      if (IsFile(Path)) {
        return Path;
      }
      const auto Dash = Relative.find('-');
      if (Dash == std::string::npos) {
        break;
      }
      Relative[Dash] = '/';
    }
  }
  return std::nullopt;
}

std::vector<std::string> XdgDataDirs() {
  std::vector<std::string> Dirs{EnvOr("XDG_DATA_HOME", Home() + "/.local/share")};
  std::string_view Rest = EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  while (!Rest.empty()) {
    const auto Colon = Rest.find(':');
    if (const auto Dir = Rest.substr(0, Colon); !Dir.empty()) {
      Dirs.emplace_back(Dir);
    }
    Rest = Colon == std::string_view::npos ? std::string_view{} : Rest.substr(Colon + 1);
  }
  return Dirs;
}

std::optional<std::string> DefaultHandlerExec(std::string_view AMimeType) {
  QProcess Query;
  Query.start(QStringLiteral("xdg-mime"),
              {QStringLiteral("query"), QStringLiteral("default"),
               QString::fromUtf8(AMimeType.data(), static_cast<qsizetype>(AMimeType.size()))});
  if (!Query.waitForFinished(5000) || Query.exitStatus() != QProcess::NormalExit ||
      Query.exitCode() != 0) {
    Query.kill();
    return std::nullopt;
  }
  const QString Id =
      QString::fromUtf8(Query.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
  const auto Path = FindDesktopFile(Id.toStdString(), XdgDataDirs());
  if (!Path) {
    return std::nullopt;
  }
  const auto Text = ReadFile(*Path);
  return Text ? DesktopExecLine(*Text) : std::nullopt;
}

} // namespace nyarumi::qt
