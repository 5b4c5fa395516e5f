// CComTagSet: the scripting class TagSet (ITagSet), a read-only view of the
// tags GetTags computed. It owns its CTagSet (CDPOwner: made on demand, so a
// TagSet created by a script is simply empty).
#pragma once

#include "com/ModuleLock.h"
#include "core/ComWrapper.h"
#include "kelto3d/Tags.h"
#include "platform/com/Boundary.h"
#include "platform/com/Dispatch.h"
#include "tags/TagSet.h"

// One row per line reads like the interface definition; keep it that way.
// clang-format off
KELTO_DISPATCH_MAP(kelto3d::ITagSet,
    kelto::com::PropGet<&kelto3d::ITagSet::get_Item>("Item", kelto3d::kDispidTagSetItem).Names("Index"),
    kelto::com::PropGet<&kelto3d::ITagSet::get_Count>("Count", kelto3d::kDispidTagSetCount),
    kelto::com::PropGet<&kelto3d::ITagSet::get__NewEnum>("_NewEnum", kelto3d::kDispidTagSetNewEnum));
// clang-format on

struct TagSetClass {
  static constexpr CLSID clsid = kelto3d::kClsidTagSet;
};

class CComTagSet : public kelto3d::ComObject<CComTagSet, kelto::com::Dual<kelto3d::ITagSet>,
                                             kelto::com::SupportErrorInfo<kelto3d::ITagSet>>,
                   public CComWrapper<CTagSet, CComTagSet, TagSetClass, kelto3d::ITagSet, CTagSet*,
                                      CDPOwner<CTagSet>> {
 public:
  HRESULT get_Count(LONG* pVal) override;
  // A tag that was not set gives a null BSTR and S_OK; an index with no text
  // form (null, an object without a default value) fails with the
  // conversion's HRESULT.
  HRESULT get_Item(VARIANT Index, BSTR* pVal) override;
  // The values as strings in tag-name order, from a snapshot.
  HRESULT get__NewEnum(IUnknown** ppEnum) override;
};
