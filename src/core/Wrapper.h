// CWrapper: the scripting side of the internal-object/scripting-object link.
// A wrapper exposes at most one internal object; an internal object has at
// most one wrapper (CWrappedClass holds the back-link).
#pragma once

class CWrappedClass;

class CWrapper {
 public:
  virtual ~CWrapper() = default;
  // Expose this internal object from now on (an earlier one is detached).
  virtual void Attach(CWrappedClass* object) = 0;
  // Stop exposing the current object; the object itself is not deleted.
  virtual void Detach() = 0;
};
