#include "platform/file/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace kelto::file {

namespace {

std::string Reason(int error) { return std::strerror(error); }

// The process's umask, read without changing it (umask() would, for every
// thread at once).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  return 022;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CAtomicFile::CAtomicFile(const std::string& path) : m_path(path), m_target(path) {
  auto fail = [&](int error) {
    throw std::runtime_error("cannot write " + m_path + ": " + Reason(error));
  };
  if (path.empty()) fail(ENOENT);
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) fail(EISDIR);
  if (exists && !S_ISREG(existing.st_mode)) {
    m_inPlace = true;
    m_fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0) fail(errno);
    return;
  }
  // Through a link: replace the file it names, keep the link.
  struct stat link {};
  if (exists && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      m_target = real;
      std::free(real);
    }
  }
  std::string name = FolderOf(m_target) + "/." + NameOf(m_target) + ".XXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  m_fd = ::mkostemp(buffer.data(), O_CLOEXEC);
  if (m_fd < 0) fail(errno);
  m_temporary = buffer.data();
  const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
  if (::fchmod(m_fd, mode) != 0) {
    const int error = errno;
    Discard();
    fail(error);
  }
}

CAtomicFile::~CAtomicFile() { Discard(); }

bool CAtomicFile::Fail(int error) {
  if (m_error.empty()) m_error = "cannot write " + m_path + ": " + Reason(error);
  return false;
}

bool CAtomicFile::Write(const void* data, std::size_t size) {
  if (!m_error.empty()) return false;
  if (m_fd < 0) return Fail(EBADF);
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(m_fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool CAtomicFile::Commit() {
  if (m_fd < 0) return m_error.empty() ? Fail(EBADF) : false;
  // Some file systems report a full disk only when the data reaches it.
  if (m_error.empty() && !m_inPlace && ::fsync(m_fd) != 0) Fail(errno);
  if (::close(std::exchange(m_fd, -1)) != 0) Fail(errno);
  if (m_error.empty() && !m_inPlace && ::rename(m_temporary.c_str(), m_target.c_str()) != 0)
    Fail(errno);
  if (!m_error.empty()) {
    Discard();
    return false;
  }
  m_temporary.clear();
  return true;
}

void CAtomicFile::Discard() noexcept {
  if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
  if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
  m_temporary.clear();
}

std::string CAtomicFile::ProblemWriting(const std::string& path) {
  try {
    CAtomicFile probe(path);
    probe.Discard();
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}

}  // namespace kelto::file
