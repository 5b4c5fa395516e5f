#include "support/TempDir.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace kelto::test {

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "kelto-test-XXXXXX").string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

ScopedConfigHome::ScopedConfigHome() {
  if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
    saved_ = old;
    had_saved_ = true;
  }
  setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
}

ScopedConfigHome::~ScopedConfigHome() {
  if (had_saved_)
    setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace kelto::test
