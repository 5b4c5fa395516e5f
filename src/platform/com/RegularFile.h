// Reading a whole file that a user names (a symbol library, an XML
// configuration): only a regular file is read, never more than a stated
// size, and opening never blocks. So "/dev/zero" cannot fill memory, a FIFO
// cannot hang the host, and a folder is not read as an empty file; each case
// fails with a message naming the file and the reason.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace kelto::platform {

// Text files a user hands in are far smaller; anything larger is not one.
inline constexpr std::size_t kMaxConfigurationBytes = std::size_t{64} << 20;  // 64 MiB

class FileReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The bytes of the file at path. `what` names the kind of file in messages
// ("symbol file"). Throws FileReadError: "Cannot open symbol file 'x': it is
// not a regular file (a FIFO)." and the like.
std::string ReadRegularFile(const std::string& path, const char* what,
                            std::size_t limit = kMaxConfigurationBytes);

}  // namespace kelto::platform
