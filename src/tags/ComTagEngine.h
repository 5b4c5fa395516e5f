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
KELTO_DISPATCH_MAP(kelto3d::ITagEngineLimits,
    kelto::com::PropGet<&kelto3d::ITagEngineLimits::get_WorkLimit>("WorkLimit", kelto3d::kDispidTagEngineLimitsWorkLimit),
    kelto::com::PropPut<&kelto3d::ITagEngineLimits::put_WorkLimit>("WorkLimit", kelto3d::kDispidTagEngineLimitsWorkLimit),
    kelto::com::PropGet<&kelto3d::ITagEngineLimits::get_WorkDone>("WorkDone", kelto3d::kDispidTagEngineLimitsWorkDone),
    kelto::com::PropGet<&kelto3d::ITagEngineLimits::get_EvaluationErrors>("EvaluationErrors", kelto3d::kDispidTagEngineLimitsEvaluationErrors));
// clang-format on

struct TagEngineClass {
  static constexpr CLSID clsid = kelto3d::kClsidTagEngine;
};

// ITagEngine first: it answers IDispatch. ITagEngineLimits is found by
// QueryInterface only, so the specified interface stays as it is.
class CComTagEngine
    : public kelto3d::ComObject<
          CComTagEngine, kelto::com::Dual<kelto3d::ITagEngine>,
          kelto::com::Dual<kelto3d::ITagEngineLimits>,
          kelto::com::SupportErrorInfo<kelto3d::ITagEngine, kelto3d::ITagEngineLimits>>,
      public CComWrapper<CTagEngine, CComTagEngine, TagEngineClass, kelto3d::ITagEngine,
                         CTagEngine*, CDPOwner<CTagEngine>> {
 public:
  // Rule-set problems are not failures: they come back in *Errors, each
  // message followed by "\n" ("" when there are none), and the call succeeds.
  HRESULT SetSpec(BSTR ConfigXML, BSTR* Errors) override;
  // A null Object is accepted (only unconditional lookups assign tags), so a
  // caller gets a TagSet for whatever it passes.
  HRESULT GetTags(IDispatch* Object, kelto3d::ITagSet** Result) override;

  HRESULT get_WorkLimit(LONG* pVal) override;
  HRESULT put_WorkLimit(LONG newVal) override;
  HRESULT get_WorkDone(LONG* pVal) override;
  HRESULT get_EvaluationErrors(BSTR* pVal) override;
};
