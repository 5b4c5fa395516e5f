// CComTagEngine: the scripting class TagEngine (ITagEngine). Each object owns
// its own CTagEngine (CDPOwner, made on first use), so rule sets loaded into
// one TagEngine never affect another.
#pragma once

#include "com/ModuleLock.h"
#include "core/ComWrapper.h"
#include "kelto3d/Tags.h"
#include "platform/com/Boundary.h"
#include "platform/com/Dispatch.h"
#include "tags/TagEngine.h"

// One row per line reads like the interface definition; keep it that way.
// clang-format off
KELTO_DISPATCH_MAP(kelto3d::ITagEngine,
    kelto::com::Method<&kelto3d::ITagEngine::SetSpec>("SetSpec", kelto3d::kDispidTagEngineSetSpec).NoRetval().Names("ConfigXML, Errors"),
    kelto::com::Method<&kelto3d::ITagEngine::GetTags>("GetTags", kelto3d::kDispidTagEngineGetTags).Names("Object"));
// clang-format on

struct TagEngineClass {
  static constexpr CLSID clsid = kelto3d::kClsidTagEngine;
};

class CComTagEngine
    : public kelto3d::ComObject<CComTagEngine, kelto::com::Dual<kelto3d::ITagEngine>,
                                kelto::com::SupportErrorInfo<kelto3d::ITagEngine>>,
      public CComWrapper<CTagEngine, CComTagEngine, TagEngineClass, kelto3d::ITagEngine,
                         CTagEngine*, CDPOwner<CTagEngine>> {
 public:
  // Rule-set problems are not failures: they come back in *Errors, each
  // message followed by "\n" ("" when there are none), and the call succeeds.
  HRESULT SetSpec(BSTR ConfigXML, BSTR* Errors) override;
  // A null Object is accepted (only unconditional lookups assign tags), so a
  // caller gets a TagSet for whatever it passes.
  HRESULT GetTags(IDispatch* Object, kelto3d::ITagSet** Result) override;
};
