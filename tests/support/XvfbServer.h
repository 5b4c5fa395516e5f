// XvfbServer: a private, headless X server for tests that need real windows.
// It starts `Xvfb -screen 0 1024x768x24 -nolisten tcp` on a display number
// nobody uses, returns once the server accepts connections (Xvfb reports that
// itself through -displayfd, so nothing waits on a clock), and stops it again.
//
//   if (XvfbServer::BinaryPath().empty()) GTEST_SKIP() << XvfbServer::kMissing;
//   XvfbServer x;                         // throws std::runtime_error on failure
//   Display* d = XOpenDisplay(x.DisplayName().c_str());
#pragma once

#include <sys/types.h>

#include <string>

namespace kelto::test {

class XvfbServer {
 public:
  static constexpr const char* kMissing =
      "Xvfb is not installed (Debian package xvfb); window tests need it";

  // Xvfb's path from $PATH, empty when it is not installed.
  static std::string BinaryPath();

  XvfbServer();
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& DisplayName() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace kelto::test
