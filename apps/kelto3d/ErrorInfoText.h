// The text a failed call on an object left in the thread's error
// information, for the tool's messages.
#pragma once

#include <string>

namespace kelto::cli {

// The description of the thread's error information (taken, so cleared), or
// fallback when there is none.
std::string ErrorInfoText(const std::string& fallback);

}  // namespace kelto::cli
