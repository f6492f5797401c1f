#include "shell/platform/xdg_desktop.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nyarumi::xdg {
namespace {

bool IsBlank(char C) {
  return C == ' ' || C == '\t';
}

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

// A desktop entry value as the file writes it, with its escapes (\s \n \t \r \\) decoded;
// this comes before the quoting of the command's words.
std::string DecodeDesktopString(std::string_view AValue) {
  std::string out;
  for (std::size_t i = 0; i < AValue.size(); ++i) {
    if (AValue[i] != '\\' || i + 1 == AValue.size()) {
      out += AValue[i];
      continue;
    }
    switch (const char next = AValue[++i]) {
    case 's':
      out += ' ';
      break;
    case 'n':
      out += '\n';
      break;
    case 't':
      out += '\t';
      break;
    case 'r':
      out += '\r';
      break;
    case '\\':
      out += '\\';
      break;
    default: // not an escape of the file: keep it for the quoting rules
      out += '\\';
      out += next;
    }
  }
  return out;
}

// Field codes of desktop entries that this program has nothing to put in for.
bool IsOtherFieldCode(std::string_view AWord) {
  static constexpr std::string_view codes[] = {"%i", "%c", "%k", "%d", "%D",
                                               "%n", "%N", "%v", "%m"};
  return std::find(std::begin(codes), std::end(codes), AWord) != std::end(codes);
}

std::string UnescapePercent(std::string_view AWord) {
  std::string out;
  for (std::size_t i = 0; i < AWord.size(); ++i) {
    out += AWord[i];
    if (AWord[i] == '%' && i + 1 < AWord.size() && AWord[i + 1] == '%') {
      ++i;
    }
  }
  return out;
}

// Closes a descriptor on scope exit.
struct TFd {
  int Fd = -1;
  ~TFd() {
    if (Fd >= 0) {
      close(Fd);
    }
  }
};

std::vector<char*> ArgvPointers(std::vector<std::string>& AArgs) {
  std::vector<char*> Out;
  for (std::string& Arg : AArgs) {
    Out.push_back(Arg.data());
  }
  Out.push_back(nullptr);
  return Out;
}

// Runs a program (looked up in PATH) with stdin from /dev/null and returns what it printed on
// stdout; nullopt when it cannot start, fails, or does not finish within ATimeout.
std::optional<std::string> Capture(std::vector<std::string> AArgv,
                                   std::chrono::milliseconds ATimeout) {
  int Pipe[2];
  if (pipe2(Pipe, O_CLOEXEC) != 0) {
    return std::nullopt;
  }
  TFd ReadEnd{Pipe[0]};
  TFd WriteEnd{Pipe[1]};
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&Actions, WriteEnd.Fd, 1);
  std::vector<char*> Argv = ArgvPointers(AArgv);
  pid_t Child = 0;
  const int Rc = posix_spawnp(&Child, Argv[0], &Actions, nullptr, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  if (Rc != 0) {
    return std::nullopt;
  }
  close(WriteEnd.Fd);
  WriteEnd.Fd = -1;
  std::string Out;
  const auto Deadline = std::chrono::steady_clock::now() + ATimeout;
  bool TimedOut = false;
  for (;;) {
    const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
        Deadline - std::chrono::steady_clock::now());
    pollfd P{ReadEnd.Fd, POLLIN, 0};
    if (Left.count() <= 0 || poll(&P, 1, static_cast<int>(Left.count())) == 0) {
      TimedOut = true;
      break;
    }
    char Buffer[512];
    const ssize_t N = read(ReadEnd.Fd, Buffer, sizeof Buffer);
    if (N < 0 && errno == EINTR) {
      continue;
    }
    if (N <= 0) {
      break;
    }
    Out.append(Buffer, static_cast<std::size_t>(N));
  }
  if (TimedOut) {
    kill(Child, SIGKILL);
  }
  int Status = 0;
  while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
  }
  if (TimedOut || !WIFEXITED(Status) || WEXITSTATUS(Status) != 0) {
    return std::nullopt;
  }
  return Out;
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view AExecLine) {
  const std::string text = DecodeDesktopString(AExecLine);
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '\\' && i + 1 < text.size() &&
          std::string_view("\"`$\\").find(text[i + 1]) != std::string_view::npos) {
        word += text[++i];
      } else if (c == '"') {
        quoted = false;
      } else {
        word += c;
      }
    } else if (IsBlank(c)) {
      if (inWord) {
        words.push_back(std::move(word));
        word.clear();
        inWord = false;
      }
    } else {
      inWord = true;
      if (c == '"') {
        quoted = true;
      } else {
        word += c;
      }
    }
  }
  if (quoted) {
    return {}; // an unterminated quote: not a command we can trust
  }
  if (inWord) {
    words.push_back(std::move(word));
  }
  return words;
}

std::vector<std::string> HandlerArgv(std::string_view ACommand, std::string_view AAddress) {
  std::vector<std::string> Argv;
  for (const std::string& Word : SplitCommandLine(ACommand)) {
    if (!IsOtherFieldCode(Word)) {
      Argv.push_back(UnescapePercent(Word));
    }
  }
  if (Argv.empty()) {
    return Argv;
  }
  // Its own argument: whatever the address holds, it cannot become another word or command.
  Argv.emplace_back(AAddress);
  return Argv;
}

bool SpawnDetached(std::vector<std::string> AArgv) {
  if (AArgv.empty() || AArgv.front().empty()) {
    return false;
  }
  std::vector<char*> Argv = ArgvPointers(AArgv);
  // The started program belongs to the desktop, not to us: a middle child starts it in its own
  // session and exits at once, so no zombie is left and no signal of ours reaches it. A pipe
  // that closes on a successful exec tells whether it started.
  int Pipe[2];
  if (pipe2(Pipe, O_CLOEXEC) != 0) {
    return false;
  }
  TFd ReadEnd{Pipe[0]};
  TFd WriteEnd{Pipe[1]};
  const pid_t Middle = fork();
  if (Middle < 0) {
    return false;
  }
  if (Middle == 0) {
    setsid();
    if (fork() == 0) {
      const int Null = open("/dev/null", O_RDWR);
      if (Null >= 0) {
        dup2(Null, 0);
      }
      execvp(Argv[0], Argv.data());
      const int Error = errno;
      [[maybe_unused]] const ssize_t Ignored = write(WriteEnd.Fd, &Error, sizeof Error);
    }
    _exit(0);
  }
  close(WriteEnd.Fd);
  WriteEnd.Fd = -1;
  int Status = 0;
  while (waitpid(Middle, &Status, 0) < 0 && errno == EINTR) {
  }
  int Error = 0;
  ssize_t N = 0;
  do {
    N = read(ReadEnd.Fd, &Error, sizeof Error);
  } while (N < 0 && errno == EINTR);
  return N == 0; // closed by exec: it runs
}

bool StartHandler(std::string_view ACommand, std::string_view AAddress) {
  return SpawnDetached(HandlerArgv(ACommand, AAddress));
}

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

std::string NoDisplayMessage(std::optional<std::string_view> ADisplay) {
  const std::string Which = ADisplay && !ADisplay->empty() ? "\"" + std::string(*ADisplay) + "\""
                                                           : std::string("(DISPLAY is not set)");
  return "cannot open the X11 display " + Which + "; Nyarumi needs an X11 desktop";
}

std::optional<std::string> WaylandSessionNote(std::optional<std::string_view> AWaylandDisplay) {
  if (!AWaylandDisplay || AWaylandDisplay->empty()) {
    return std::nullopt;
  }
  return "on a Wayland session she runs through XWayland, where she cannot stay on top, follow "
         "the pointer over other windows or open her menu; use an X11 session";
}

std::optional<std::string_view> Environment(const char* AName) {
  const char* V = std::getenv(AName);
  return V != nullptr ? std::optional<std::string_view>(V) : std::nullopt;
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
  const std::string List = EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  std::string_view Rest = List;
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
  const auto Answer =
      Capture({"xdg-mime", "query", "default", std::string(AMimeType)}, std::chrono::seconds(5));
  if (!Answer) {
    return std::nullopt;
  }
  const std::string_view Id = Trim(std::string_view(*Answer).substr(0, Answer->find('\n')));
  const auto Path = FindDesktopFile(Id, XdgDataDirs());
  if (!Path) {
    return std::nullopt;
  }
  const auto Text = ReadFile(*Path);
  return Text ? DesktopExecLine(*Text) : std::nullopt;
}

} // namespace nyarumi::xdg
