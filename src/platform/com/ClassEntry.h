// One line of a module's class table: what the runtime needs to create the
// class, to resolve its ProgIDs while the module is loaded, and to write its
// registration keys.
//
//   constexpr kelto::com::ClassEntry kClasses[] = {
//       {kClsidTagSet, "Kelto3D.TagSet.1", "Kelto3D.TagSet", "TagSet Object",
//        &kelto::com::CreateInstanceOf<CComTagSet>},
//   };
#pragma once

#include <span>

#include "platform/com/Types.h"

namespace kelto::com {

// A key (and optionally its default value) written below a class's
// CLSID\{clsid} key besides the standard ones, for classes that carry more
// (a control's "Control", "MiscStatus"...). "%MODULE%" in a value stands for
// the module's full path. A null value makes an empty key.
struct ClassKey {
  const char* subKey;
  const char* value = nullptr;
};

// Creates a new object of one class and returns its riid interface in *ppv
// (null on failure). Never throws.
using CreatorFn = HRESULT (*)(REFIID riid, void** ppv);

struct ClassEntry {
  CLSID clsid;
  // Versioned ProgID ("Vendor.Class.1"); null or "" when the class has none.
  const char* progId;
  // Version-independent ProgID ("Vendor.Class"); null or "" when none.
  const char* versionIndependentProgId;
  // Default value of the ProgID and CLSID keys ("TagSet Object").
  const char* description;
  CreatorFn create;
  // InprocServer32's ThreadingModel value.
  const char* threadingModel = "Apartment";
  // Whether the CLSID key names the module's type library (a property page,
  // for one, is not described by it).
  bool withTypeLib = true;
  // Extra keys below CLSID\{clsid}, written after the standard ones in this
  // order; unregistration removes them with the CLSID key.
  std::span<const ClassKey> extraKeys = {};
};

}  // namespace kelto::com
