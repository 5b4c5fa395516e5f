// The process environment every test executable starts with, set before
// main (this file is compiled into each test executable, not into a library,
// so nothing can drop it).
//
// Mesa's on-disk shader cache is off: a test run writes nothing into the
// user's home, and under the sanitizer build LeakSanitizer's exit-time scan
// was seen to crash on the cache's worker thread. A value the caller set is
// kept.
#include <cstdlib>

namespace {

const bool kEnvironmentSet = [] {
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
  return true;
}();

}  // namespace
