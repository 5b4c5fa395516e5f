// Reading a whole file that a user names (a symbol library, an XML
// configuration): only a regular file is read, never more than a stated
// size, and opening never blocks. So "/dev/zero" cannot fill memory, a FIFO
// cannot hang the host, and a folder is not read as an empty file; each case
// fails with a message naming the file and the reason.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>

namespace kelto::platform {

// Text files a user hands in are far smaller; anything larger is not one.
inline constexpr std::size_t kMaxConfigurationBytes = std::size_t{64} << 20;  // 64 MiB

class FileReadError : public std::runtime_error {
 public:
  FileReadError(const std::string& message, std::string reason)
      : std::runtime_error(message), reason_(std::move(reason)) {}
  // The reason alone ("it is not a regular file (a FIFO)"), for callers
  // that name the file in their own words.
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

// The bytes of the file at path. `what` names the kind of file in messages
// ("symbol file"). Throws FileReadError: "Cannot open symbol file 'x': it is
// not a regular file (a FIFO)." and the like.
std::string ReadRegularFile(const std::string& path, const char* what,
                            std::size_t limit = kMaxConfigurationBytes);

}  // namespace kelto::platform
