// fontconfig, which cairo's text goes through, keeps its configuration and
// font patterns for the life of the process and frees nothing at exit; the
// sanitizer build's leak checker would report that as leaks. Only
// allocations made inside fontconfig are suppressed.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
