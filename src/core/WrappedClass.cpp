#include "core/WrappedClass.h"

#include <utility>

#include "core/Wrapper.h"

CWrappedClass::~CWrappedClass() {
  // The link is cleared first so that the wrapper's Detach finds nothing to
  // unlink on an object that is half destroyed.
  if (CWrapper* wrapper = std::exchange(m_wrapper, nullptr)) wrapper->Detach();
}
