#include "support/XvfbServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace kelto::test {

std::string XvfbServer::BinaryPath() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && access((dir + "/Xvfb").c_str(), X_OK) == 0) return dir + "/Xvfb";
  return {};
}

// Without a display number, -displayfd makes Xvfb take the first free one
// itself (under its own lock files, so parallel tests cannot collide) and
// write it back once it accepts connections.
// Xvfb's own messages go to the test's error output, where a failure to
// start shows them.
XvfbServer::XvfbServer() {
  const std::string binary = BinaryPath();
  if (binary.empty()) throw std::runtime_error(kMissing);
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> args = {binary, "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                   "-displayfd", "3"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 2, 1);
  posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
  const int rc = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(ready[1]);
  std::string answer;
  char buf[32];
  for (ssize_t got = 0; rc == 0 && answer.find('\n') == std::string::npos;) {
    got = read(ready[0], buf, sizeof buf);
    if (got > 0) answer.append(buf, std::size_t(got));
    else if (got == 0 || errno != EINTR) break;
  }
  close(ready[0]);
  if (rc == 0 && answer.find('\n') != std::string::npos) {
    display_ = ":" + std::to_string(std::atoi(answer.c_str()));
    return;
  }
  if (rc == 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  throw std::runtime_error("Xvfb did not start (its messages are above)");
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace kelto::test
