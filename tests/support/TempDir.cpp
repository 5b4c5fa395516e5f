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

namespace {

std::optional<std::string> Replace(const char* name, const std::optional<std::string>& value) {
  std::optional<std::string> old;
  if (const char* v = std::getenv(name)) old = v;
  value ? setenv(name, value->c_str(), 1) : unsetenv(name);
  return old;
}

}  // namespace

ScopedConfigHome::ScopedConfigHome()
    : savedHome_(Replace("XDG_CONFIG_HOME", dir_.path().string())),
      savedDirs_(Replace("XDG_CONFIG_DIRS", (dir_.path() / "machine").string())) {}

ScopedConfigHome::~ScopedConfigHome() {
  Replace("XDG_CONFIG_HOME", savedHome_);
  Replace("XDG_CONFIG_DIRS", savedDirs_);
}

}  // namespace kelto::test
