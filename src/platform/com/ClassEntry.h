// One line of a module's class table: what the runtime needs to create the
// class, to resolve its ProgIDs while the module is loaded, and to write its
// registration keys.
//
//   constexpr kelto::com::ClassEntry kClasses[] = {
//       {kClsidTagSet, "Kelto3D.TagSet.1", "Kelto3D.TagSet", "TagSet Object",
//        &kelto::com::CreateInstanceOf<CComTagSet>},
//   };
#pragma once

#include "platform/com/Types.h"

namespace kelto::com {

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
};

}  // namespace kelto::com
