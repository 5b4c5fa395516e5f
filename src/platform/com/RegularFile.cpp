#include "platform/com/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelto::platform {

namespace {

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string ReadRegularFile(const std::string& path, const char* what, std::size_t limit) {
  const auto message = [&](const char* verb, const std::string& reason) {
    return std::string(verb) + " " + what + " '" + path + "': " + reason + ".";
  };
  const auto fail = [&](const std::string& reason) -> std::string {
    throw FileReadError(message("Cannot open", reason), reason);
  };
  const auto failRead = [&](const std::string& reason) -> std::string {
    throw FileReadError(message("Cannot read", reason), reason);
  };
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) return fail(std::strerror(errno));
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return fail(std::strerror(errno));
  if (!S_ISREG(st.st_mode)) {
    const char* kind = KindOf(st.st_mode);
    return fail(std::strcmp(kind, "not a regular file") == 0
                    ? std::string("it is not a regular file")
                    : std::string("it is not a regular file (") + kind + ")");
  }
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size > limit)
    return fail("it is too large (" + std::to_string(size) + " bytes; the limit is " +
                std::to_string(limit) + ")");
  std::string text(size, '\0');
  std::size_t done = 0;
  // At most the size fstat gave, plus one byte to notice a file that grows
  // while it is read rather than follow it without end.
  while (done < size) {
    const ssize_t n = ::read(fd.get(), text.data() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failRead(std::strerror(errno));
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  char extra;
  ssize_t more;
  do more = ::read(fd.get(), &extra, 1);
  while (more < 0 && errno == EINTR);
  if (more > 0) return failRead("it grew while it was read");
  return text;
}

}  // namespace kelto::platform
