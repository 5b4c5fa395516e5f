// CWrapped<T>: a value (typically a std::map of bindings) that a scripting
// object can wrap. It is a T in every respect, plus the wrapper link of
// CWrappedClass, so its owner embeds it where it would embed the plain T and
// a CComWrapper exposes it; when the owner dies the wrapper is told.
//
// As for every wrapped object, copies never carry the link.
#pragma once

#include <utility>

#include "core/WrappedClass.h"

template <class T>
class CWrapped : public T, public CWrappedClass {
 public:
  using T::T;
  // Assigning a value replaces the T part only; the link stays.
  using T::operator=;
  CWrapped() = default;
  CWrapped(const T& value) : T(value) {}
  CWrapped(T&& value) : T(std::move(value)) {}
};
