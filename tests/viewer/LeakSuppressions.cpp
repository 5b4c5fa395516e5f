// Mesa's software rasteriser keeps a few allocations for the process's life,
// as do Qt's D-Bus connection and fontconfig; the sanitizer build's leak
// checker ignores allocations made inside those libraries only.
#include <dlfcn.h>

extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:swrast_dri.so\nleak:libdbus-1.so\nleak:libfontconfig.so\n";
}

namespace {

// Mesa's GLX unloads its driver with the last connection, and the leak
// checker then cannot name the driver's blocks; held mapped, they keep their
// name for the suppression above.
const bool kDriverHeld = dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_LOCAL);

}  // namespace
