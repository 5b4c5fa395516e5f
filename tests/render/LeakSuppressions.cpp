// Leaks inside Mesa's software driver that the leak checker of the sanitizer
// build would otherwise report at exit. Both are Mesa's own (22.3, llvmpipe),
// reproduced without any of our code in the loop:
// - compiling a display list that holds two consecutive GL_QUAD_STRIP or
//   GL_TRIANGLE_FAN primitives (every GLU cylinder with two stacks, every
//   pair of two-sided mesh bands) loses 24 bytes per such pair, even after
//   glDeleteLists and context destruction;
// - the first GL_SELECT pass of a context allocates about 0.5 MB of select
//   buffers that are never freed.
// Only allocations made inside the driver are suppressed; anything our code
// allocates is still checked.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:swrast_dri.so\n";
}
