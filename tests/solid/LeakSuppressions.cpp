// The file-order test draws through Mesa's software driver, whose own leaks
// (tests/render/LeakSuppressions.cpp) the sanitizer build would report at
// exit. Only allocations made inside the driver are ignored.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:swrast_dri.so\n";
}
