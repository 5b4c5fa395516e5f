// CWrappedClass: the internal side of the link between an internal object and
// the scripting object (its CWrapper) that exposes it.
//
// The link belongs to the object's identity, not to its value: copying an
// object never copies the link, and assigning into an object that already has
// a scripting face keeps that face, so its wrapper is still told when the
// object is destroyed.
#pragma once

class CWrapper;

class CWrappedClass {
 public:
  CWrappedClass() = default;
  CWrappedClass(const CWrappedClass&) noexcept {}
  CWrappedClass(CWrappedClass&&) noexcept {}
  CWrappedClass& operator=(const CWrappedClass&) noexcept { return *this; }
  CWrappedClass& operator=(CWrappedClass&&) noexcept { return *this; }
  // Tells a linked wrapper to let go; the wrapper lives on without an object.
  ~CWrappedClass();

  CWrapper* GetWrapper() const { return m_wrapper; }
  // Maintained by the wrappers' Attach and Detach.
  void SetWrapper(CWrapper* wrapper) { m_wrapper = wrapper; }

 private:
  CWrapper* m_wrapper = nullptr;
};
