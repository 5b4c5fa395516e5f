// A fresh temporary folder for one test, removed with everything in it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kelto::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Points XDG_CONFIG_HOME at a temporary folder, and XDG_CONFIG_DIRS at its
// subfolder "machine", for the lifetime of the object, so settings-store
// tests never touch the user's or the machine's real store.
class ScopedConfigHome {
 public:
  ScopedConfigHome();
  ~ScopedConfigHome();
  const std::filesystem::path& path() const { return dir_.path(); }
  std::filesystem::path machinePath() const { return dir_.path() / "machine"; }

 private:
  TempDir dir_;
  std::optional<std::string> savedHome_;
  std::optional<std::string> savedDirs_;
};

}  // namespace kelto::test
