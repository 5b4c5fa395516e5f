// Writing a loaded plant in the library's own JSON piping format, every
// member explicit (docs/piping-format.md).
#pragma once

#include <string>

namespace kelto::data {

class File;

std::string WriteJson(const File& file);

}  // namespace kelto::data
