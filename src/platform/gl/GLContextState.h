// CGLContextState: which rendering context is current on this thread, through
// either window-system binding (GLX for windows, EGL for off-screen), so it can
// be put back later. glvnd lets a thread have a current context of only one of
// the two at a time (making an EGL context current while a GLX one is fails,
// and the other way round), so surfaces release the other binding before they
// make their own context current.
#pragma once

namespace kelto::gl {

class CGLContextState {
 public:
  enum class Api { Unbound, Glx, Egl };

  // What is current now.
  static CGLContextState Capture();
  // Leaves no context current on this thread, through either binding.
  static void ReleaseAll();
  static void ReleaseGlx();
  static void ReleaseEgl();

  // Makes the captured context current again, or releases everything when
  // none was. Returns false when the context could not be made current (it
  // was destroyed meanwhile, say); nothing is current then.
  bool Restore() const;

  Api GetApi() const { return api_; }
  // The captured context (GLXContext or EGLContext), null when none.
  void* Context() const { return context_; }

 private:
  Api api_ = Api::Unbound;
  void* display_ = nullptr;
  unsigned long draw_ = 0;  // GLXDrawable (XID)
  unsigned long read_ = 0;
  void* egl_draw_ = nullptr;  // EGLSurface
  void* egl_read_ = nullptr;
  void* context_ = nullptr;
  unsigned egl_api_ = 0;  // the EGL client API bound when captured
};

}  // namespace kelto::gl
