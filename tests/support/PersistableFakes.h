// Small classes for the persistence tests: one that saves a number through
// IPersistStream, one that only names its class (so saving it fails), and
// their class-table entries for ClassRegistration.
#pragma once

#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Object.h"
#include "platform/com/Stream.h"

namespace kelto::test {

inline constexpr CLSID kPersistableClass = kelto::com::MakeGuid("0A1B2C3D-4E5F-6172-8394-A5B6C7D8E9F0");
inline constexpr CLSID kPersistOnlyClass = kelto::com::MakeGuid("0A1B2C3D-4E5F-6172-8394-A5B6C7D8E9F1");

class CPersistable final : public kelto::com::Object<CPersistable, IPersistStream> {
 public:
  HRESULT GetClassID(CLSID* id) override { return *id = kPersistableClass, S_OK; }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(IStream* s) override { return kelto::com::ReadExact(s, &value, sizeof value); }
  HRESULT Save(IStream* s, BOOL) override { return kelto::com::WriteExact(s, &value, sizeof value); }
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override { return size->QuadPart = sizeof value, S_OK; }
  int value = 0;
};

class CPersistOnly final : public kelto::com::Object<CPersistOnly, IPersist> {
 public:
  HRESULT GetClassID(CLSID* id) override { return *id = kPersistOnlyClass, S_OK; }
};

inline constexpr kelto::com::ClassEntry kPersistableEntry{
    kPersistableClass, "", "", "", &kelto::com::CreateInstanceOf<CPersistable>};
inline constexpr kelto::com::ClassEntry kPersistOnlyEntry{
    kPersistOnlyClass, "", "", "", &kelto::com::CreateInstanceOf<CPersistOnly>};

}  // namespace kelto::test
