#include "shell/platform/x11_process.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nyarumi::x11 {
namespace {

// Reads the child's errno from the pipe; end of file means exec succeeded (the pipe closed on
// exec).
bool ExecSucceeded(int AReadEnd) {
  int Error = 0;
  ssize_t Got = 0;
  do {
    Got = read(AReadEnd, &Error, sizeof Error);
  } while (Got < 0 && errno == EINTR);
  return Got == 0;
}

} // namespace

bool SpawnDetached(const std::vector<std::string>& AArgv) {
  if (AArgv.empty() || AArgv.front().empty()) {
    return false;
  }
  std::vector<char*> Argv;
  for (const std::string& A : AArgv) {
    Argv.push_back(const_cast<char*>(A.c_str()));
  }
  Argv.push_back(nullptr);
  int Pipe[2];
  if (pipe2(Pipe, O_CLOEXEC) != 0) {
    return false;
  }
  const pid_t Middle = fork();
  if (Middle < 0) {
    close(Pipe[0]);
    close(Pipe[1]);
    return false;
  }
  if (Middle == 0) {
    // The middle child starts the program and leaves at once: the program is adopted by init
    // and never becomes our zombie. Only async-signal-safe calls from here on.
    close(Pipe[0]);
    setsid();
    const pid_t Program = fork();
    if (Program == 0) {
      execvp(Argv[0], Argv.data());
      const int Error = errno;
      [[maybe_unused]] const ssize_t Written = write(Pipe[1], &Error, sizeof Error);
      _exit(127);
    }
    _exit(Program < 0 ? 1 : 0);
  }
  close(Pipe[1]);
  int Status = 0;
  while (waitpid(Middle, &Status, 0) < 0 && errno == EINTR) {
  }
  const bool Started = WIFEXITED(Status) && WEXITSTATUS(Status) == 0 && ExecSucceeded(Pipe[0]);
  close(Pipe[0]);
  return Started;
}

} // namespace nyarumi::x11
