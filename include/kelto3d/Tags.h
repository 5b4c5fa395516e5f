// The tag engine's scripting interfaces, as a host compiles against them.
//
//   TagEngine  CLSID 7DDC46BF-A56B-470A-8740-5E3D75FD77C4  ("Kelto3D.TagEngine")
//   TagSet     CLSID C18E2BC0-C4D2-458D-A297-8E56A3978EA4  ("Kelto3D.TagSet")
//
// A TagEngine is loaded with an XML rule set (SetSpec) and then computes the
// tags of any automation object (GetTags); the result is a TagSet, a read-only
// collection of tag values keyed by tag name. docs/tag-engine.md describes the
// rule format and the evaluation.
#pragma once

#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"

namespace kelto3d {

inline constexpr CLSID kClsidTagEngine =
    kelto::com::MakeGuid("7DDC46BF-A56B-470A-8740-5E3D75FD77C4");
inline constexpr CLSID kClsidTagSet = kelto::com::MakeGuid("C18E2BC0-C4D2-458D-A297-8E56A3978EA4");

// Dispatch ids.
inline constexpr DISPID kDispidTagEngineSetSpec = 1;
inline constexpr DISPID kDispidTagEngineGetTags = 2;
inline constexpr DISPID kDispidTagSetItem = 0;  // DISPID_VALUE
inline constexpr DISPID kDispidTagSetCount = 1;
inline constexpr DISPID kDispidTagSetNewEnum = -4;  // DISPID_NEWENUM
inline constexpr DISPID kDispidTagEngineLimitsWorkLimit = 1;
inline constexpr DISPID kDispidTagEngineLimitsWorkDone = 2;
inline constexpr DISPID kDispidTagEngineLimitsEvaluationErrors = 3;

struct ITagSet;

struct ITagEngine : IDispatch {
  // Loads rules from ConfigXML, adding to what earlier calls loaded. Problems
  // in the rules are not failures: *Errors receives each message followed by
  // "\n" (an empty string when there are none) and the valid rules stay.
  virtual HRESULT SetSpec(BSTR ConfigXML, BSTR* Errors) = 0;
  // Evaluates the rules on Object and returns its tags as a new TagSet.
  virtual HRESULT GetTags(IDispatch* Object, ITagSet** Result) = 0;
};

// A TagEngine's second interface (QueryInterface from ITagEngine): the bound
// on the work of one GetTags, and what the last GetTags spent and found wrong.
// Work units are those of docs/tag-engine.md, "Bounded evaluation".
struct ITagEngineLimits : IDispatch {
  // 1 to 2147483647 units; anything else fails with E_INVALIDARG and keeps the
  // bound. A new engine has 5000000.
  virtual HRESULT get_WorkLimit(LONG* pVal) = 0;
  virtual HRESULT put_WorkLimit(LONG newVal) = 0;
  virtual HRESULT get_WorkDone(LONG* pVal) = 0;
  // Each evaluation error of the last GetTags followed by "\n"; "" when none.
  virtual HRESULT get_EvaluationErrors(BSTR* pVal) = 0;
};

struct ITagSet : IDispatch {
  virtual HRESULT get_Count(LONG* pVal) = 0;
  // Index is converted to text and taken as a tag name; a tag that was not
  // set gives a null BSTR and S_OK.
  virtual HRESULT get_Item(VARIANT Index, BSTR* pVal) = 0;
  // IEnumVARIANT over the tag values (strings), in tag-name order.
  virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
};

}  // namespace kelto3d

KELTO_INTERFACE_IID(kelto3d::ITagEngine, IDispatch, "7F489E27-A01A-421B-9A66-403FA10ED889");
KELTO_INTERFACE_IID(kelto3d::ITagSet, IDispatch, "E192AD35-87C5-465F-9CEB-051E0682A9F6");
KELTO_INTERFACE_IID(kelto3d::ITagEngineLimits, IDispatch, "3C92D916-868E-468E-A4D3-41F792728C83");
