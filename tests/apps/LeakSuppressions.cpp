// Mesa's software driver keeps a few allocations until exit (display lists
// with two consecutive strips, the select buffers of its first GL_SELECT
// pass; see tests/render/LeakSuppressions.cpp). The leak checker of the
// sanitizer build is told to ignore allocations made inside the driver only.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:swrast_dri.so\n";
}
