#include "support/XvfbServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace kelto::test {

std::string XvfbServer::BinaryPath() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    const std::string candidate = dir + "/Xvfb";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

namespace {
bool DisplayInUse(int n) {
  struct stat st;
  const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
  return stat(lock.c_str(), &st) == 0 || stat(socket.c_str(), &st) == 0;
}
}  // namespace

XvfbServer::XvfbServer() {
  const std::string binary = BinaryPath();
  if (binary.empty()) throw std::runtime_error(kMissing);
  // Tests run in parallel processes; starting at a number derived from the
  // process id spreads them out, and a number another process grabs first is
  // simply skipped (Xvfb refuses a display whose lock it cannot take).
  const int first = 200 + static_cast<int>(getpid() % 500);
  std::string log;
  for (int attempt = 0; attempt < 64; ++attempt) {
    const int n = first + attempt;
    if (DisplayInUse(n)) continue;
    if (TryStart(binary, n, log)) return;
  }
  throw std::runtime_error("Xvfb did not start: " + log);
}

bool XvfbServer::TryStart(const std::string& binary, int number, std::string& log) {
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  char log_path[] = "/tmp/kelto-xvfb-log-XXXXXX";
  const int log_fd = mkstemp(log_path);
  if (log_fd < 0) throw std::runtime_error("cannot create the Xvfb log file");

  const std::string display = ":" + std::to_string(number);
  std::vector<std::string> args = {binary,      display, "-screen",    "0", "1024x768x24",
                                   "-nolisten", "tcp",   "-displayfd", "3"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, log_fd, 1);
  posix_spawn_file_actions_adddup2(&actions, log_fd, 2);
  posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(ready[1]);
  close(log_fd);
  if (rc != 0) {
    close(ready[0]);
    unlink(log_path);
    throw std::runtime_error("cannot run " + binary);
  }

  // Xvfb writes its display number once it accepts connections; if it gives
  // up instead, the pipe closes without a word.
  std::string answer;
  char buf[32];
  for (;;) {
    const ssize_t got = read(ready[0], buf, sizeof buf);
    if (got > 0) {
      answer.append(buf, std::size_t(got));
      if (answer.find('\n') != std::string::npos) break;
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  close(ready[0]);
  if (!answer.empty() && std::atoi(answer.c_str()) == number) {
    unlink(log_path);
    pid_ = pid;
    display_ = display;
    return true;
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  std::ifstream in(log_path);
  log.assign(std::istreambuf_iterator<char>(in), {});
  unlink(log_path);
  return false;
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace kelto::test
