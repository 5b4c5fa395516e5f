// Qt keeps its D-Bus connection and fontconfig its configuration for the
// process's life; the sanitizer build's leak checker ignores allocations made
// inside those two libraries only.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\nleak:libfontconfig.so\n";
}
