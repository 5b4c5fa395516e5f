// Mesa's software driver keeps a few allocations until exit (display lists
// holding two consecutive strips; see tests/render/LeakSuppressions.cpp), which
// the leak checker of the sanitizer build would report after every render.
// Only allocations made inside the driver are ignored; the tool's own are
// still checked. Outside sanitizer builds nothing calls this.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:swrast_dri.so\n";
}
