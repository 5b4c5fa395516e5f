// Mesa's software driver keeps a few allocations until exit (display lists
// with two consecutive strips, the select buffers of its first GL_SELECT
// pass; see tests/render/LeakSuppressions.cpp). The leak checker of the
// sanitizer build is told to ignore allocations made inside the driver only,
// and inside fontconfig, which keeps its configuration for the process's life
// once a printed sheet's text has gone through it.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:swrast_dri.so\nleak:libfontconfig.so\n";
}
