#include "platform/gl/GLContextState.h"

#include <EGL/egl.h>
#include <GL/glx.h>

namespace kelto::gl {

CGLContextState CGLContextState::Capture() {
  CGLContextState s;
  if (GLXContext ctx = glXGetCurrentContext()) {
    s.api_ = Api::Glx;
    s.context_ = ctx;
    s.display_ = glXGetCurrentDisplay();
    s.draw_ = glXGetCurrentDrawable();
    s.read_ = glXGetCurrentReadDrawable();
    return s;
  }
  // EGL answers for the client API bound on this thread; the surfaces bind
  // desktop GL, but a host may have bound another, and that is what we must
  // put back.
  const EGLenum api = eglQueryAPI();
  if (EGLContext ctx = eglGetCurrentContext(); ctx != EGL_NO_CONTEXT) {
    s.api_ = Api::Egl;
    s.context_ = ctx;
    s.display_ = eglGetCurrentDisplay();
    s.egl_draw_ = eglGetCurrentSurface(EGL_DRAW);
    s.egl_read_ = eglGetCurrentSurface(EGL_READ);
    s.egl_api_ = api;
  }
  return s;
}

void CGLContextState::ReleaseGlx() {
  if (glXGetCurrentContext()) glXMakeCurrent(glXGetCurrentDisplay(), None, nullptr);
}

void CGLContextState::ReleaseEgl() {
  if (eglGetCurrentContext() != EGL_NO_CONTEXT)
    eglMakeCurrent(eglGetCurrentDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void CGLContextState::ReleaseAll() {
  ReleaseGlx();
  ReleaseEgl();
}

bool CGLContextState::Restore() const {
  switch (api_) {
    case Api::Unbound:
      ReleaseAll();
      return true;
    case Api::Glx:
      if (glXGetCurrentContext() == context_ && glXGetCurrentDrawable() == draw_ &&
          glXGetCurrentReadDrawable() == read_)
        return true;
      ReleaseEgl();
      if (glXMakeContextCurrent(static_cast<Display*>(display_), draw_, read_,
                                static_cast<GLXContext>(context_)))
        return true;
      break;
    case Api::Egl:
      ReleaseGlx();
      eglBindAPI(egl_api_);
      if (eglMakeCurrent(display_, egl_draw_, egl_read_, context_)) return true;
      break;
  }
  ReleaseAll();
  return false;
}

}  // namespace kelto::gl
