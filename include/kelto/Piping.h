// The piping-data interfaces of libkelto.so: files, pipelines, components,
// their definitions, legs, points and attributes, routes, the path walker and
// the symbol catalogue. Every interface is dual, so a script (or the tag
// engine) can call any member by name; the builders call the vtables.
//
// Collections take a VARIANT index: a 0-based long, or (points, attributes)
// a name. An unknown name gives S_OK with a null result, not an error.
// Object identity (the IUnknown pointer) is stable for the life of the file
// object, including across a reload that keeps an object's id.
//
// The dispatch tables (names and dispids) live with the implementation in
// kelto/; callers that bind late need only the names used here.
#pragma once

#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"

struct IKeltoFile;
struct IKeltoPipeline;
struct IKeltoComponent;
struct IKeltoPoint;
struct IKeltoLeg;

// Class identifiers.
namespace kelto::clsid {
// KeltoFile: create it, then call Load(path).
inline constexpr CLSID KeltoFile = kelto::com::MakeGuid("782D8350-4448-4DA6-9543-858F38AA04C0");
inline constexpr CLSID KeltoPathWalker =
    kelto::com::MakeGuid("41FD9312-AA39-4D2E-9451-1777C7F560CD");
inline constexpr CLSID KeltoSymbolCatalogue =
    kelto::com::MakeGuid("0D44E1BA-F56E-11D5-BAA0-00B0D03934D6");
}  // namespace kelto::clsid

struct IKeltoAttribute : IDispatch {
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT get_Value(VARIANT* value) = 0;
};
KELTO_INTERFACE_IID(IKeltoAttribute, IDispatch, "2D7D2D03-3E2E-11D5-85DA-00B0D0393397");

struct IKeltoAttributes : IDispatch {
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, IKeltoAttribute** item) = 0;
  virtual HRESULT get__NewEnum(IUnknown** items) = 0;
};
KELTO_INTERFACE_IID(IKeltoAttributes, IDispatch, "6325B915-43BE-11D5-85DE-00B0D0393397");

// The component's definition ("Details").
struct IKeltoItem : IDispatch {
  virtual HRESULT get_TypeName(BSTR* name) = 0;
  virtual HRESULT get_GroupName(BSTR* name) = 0;
  virtual HRESULT get_ItemCode(LONG* code) = 0;
  virtual HRESULT get_SymbolKey(BSTR* key) = 0;
  virtual HRESULT get_ShapeCode(BSTR* code) = 0;
};
KELTO_INTERFACE_IID(IKeltoItem, IDispatch, "AC8AA09B-1DDB-11D5-8183-00C04F4BF2B5");

struct IKeltoPoint : IDispatch {
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT Position(double* x, double* y, double* z) = 0;
  virtual HRESULT get_Bore(double* bore) = 0;
  // 1: inches; any other value: millimetres.
  virtual HRESULT get_BoreUnits(LONG* units) = 0;
  // "FL…" means flanged.
  virtual HRESULT get_EndType(BSTR* type) = 0;
  virtual HRESULT get_IsInternalPoint(VARIANT_BOOL* internal) = 0;
  // The matching point of the adjoining component; null at an open end.
  virtual HRESULT get_ConnectedPoint(IKeltoPoint** point) = 0;
  virtual HRESULT get_OwnerComponent(IKeltoComponent** component) = 0;
};
KELTO_INTERFACE_IID(IKeltoPoint, IDispatch, "9043D529-66E5-11D5-85F6-00B0D0393397");

struct IKeltoPoints : IDispatch {
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, IKeltoPoint** item) = 0;
  virtual HRESULT get__NewEnum(IUnknown** items) = 0;
};
KELTO_INTERFACE_IID(IKeltoPoints, IDispatch, "882EF376-71E2-11D5-85FF-00B0D0393397");

struct IKeltoLeg : IDispatch {
  virtual HRESULT get_FromPoint(BSTR* name) = 0;
  virtual HRESULT get_ToPoint(BSTR* name) = 0;
  virtual HRESULT get_HasDirection(VARIANT_BOOL* has) = 0;
  // Zero when the leg has no direction.
  virtual HRESULT Direction(double* x, double* y, double* z) = 0;
  virtual HRESULT get_Length(double* length) = 0;
};
KELTO_INTERFACE_IID(IKeltoLeg, IDispatch, "9043D52D-66E5-11D5-85F6-00B0D0393397");

struct IKeltoLegs : IDispatch {
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, IKeltoLeg** item) = 0;
  virtual HRESULT get__NewEnum(IUnknown** items) = 0;
};
KELTO_INTERFACE_IID(IKeltoLegs, IDispatch, "882EF374-71E2-11D5-85FF-00B0D0393397");

struct IKeltoComponent : IDispatch {
  // The stable id the file gives the component.
  virtual HRESULT get_Id(BSTR* id) = 0;
  virtual HRESULT get_Pipeline(IKeltoPipeline** pipeline) = 0;
  virtual HRESULT get_Legs(IKeltoLegs** legs) = 0;
  virtual HRESULT get_Points(IKeltoPoints** points) = 0;
  virtual HRESULT get_Attributes(IKeltoAttributes** attributes) = 0;
  virtual HRESULT get_Details(IKeltoItem** details) = 0;
  // The components a support stands on.
  virtual HRESULT get_AttachmentCount(LONG* count) = 0;
  virtual HRESULT get_Attachment(LONG index, IKeltoComponent** component) = 0;
};
KELTO_INTERFACE_IID(IKeltoComponent, IDispatch, "9043D520-66E5-11D5-85F6-00B0D0393397");

struct IKeltoComponents : IDispatch {
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, IKeltoComponent** item) = 0;
  virtual HRESULT get__NewEnum(IUnknown** items) = 0;
};
KELTO_INTERFACE_IID(IKeltoComponents, IDispatch, "882EF372-71E2-11D5-85FF-00B0D0393397");

// One entry of a route; Value holds the component (VT_DISPATCH).
struct IKeltoRouteEntry : IDispatch {
  virtual HRESULT get_Value(VARIANT* value) = 0;
};
KELTO_INTERFACE_IID(IKeltoRouteEntry, IDispatch, "46B34FA2-5380-4CBA-9413-D1E458ADEC99");

// An ordered chain of components along the piping, from an open end.
struct IKeltoRoute : IDispatch {
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, IKeltoRouteEntry** item) = 0;
  virtual HRESULT get__NewEnum(IUnknown** items) = 0;
};
KELTO_INTERFACE_IID(IKeltoRoute, IDispatch, "A27BAC1B-43F1-4956-9475-6AF71D32C689");

struct IKeltoRoutes : IDispatch {
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, IKeltoRoute** item) = 0;
  virtual HRESULT get__NewEnum(IUnknown** items) = 0;
};
KELTO_INTERFACE_IID(IKeltoRoutes, IDispatch, "C17C8DF0-D0D0-4730-A0B0-5E869833F565");

struct IKeltoPipeline : IDispatch {
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT get_Components(IKeltoComponents** components) = 0;
  virtual HRESULT get_File(IKeltoFile** file) = 0;
  // The builders call Routes(1, 1); the two flags are kept for callers that
  // pass them and do not change the result.
  virtual HRESULT Routes(LONG flags1, LONG flags2, IKeltoRoutes** routes) = 0;
};
KELTO_INTERFACE_IID(IKeltoPipeline, IDispatch, "08DFF30C-6622-11D5-85F5-00B0D0393397");

struct IKeltoPipelines : IDispatch {
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, IKeltoPipeline** item) = 0;
  virtual HRESULT get__NewEnum(IUnknown** items) = 0;
};
KELTO_INTERFACE_IID(IKeltoPipelines, IDispatch, "8E094040-7DEB-11D6-86D9-00B0D0393397");

struct IKeltoFile : IDispatch {
  virtual HRESULT get_Pipelines(IKeltoPipelines** pipelines) = 0;
  // Loads (or reloads) a piping file. On failure the previous contents stay
  // and the error info carries the message (file, JSON path, problem).
  virtual HRESULT Load(BSTR path) = 0;
  virtual HRESULT get_Path(BSTR* path) = 0;
};
KELTO_INTERFACE_IID(IKeltoFile, IDispatch, "8E094048-7DEB-11D6-86D9-00B0D0393397");

// How a KeltoFile loads, beyond IKeltoFile (found by QueryInterface): reading
// past the parts of a file that cannot be read, and what a load worked around.
struct IKeltoFileLoading : IDispatch {
  // True: a PCF block or a file of a folder that cannot be read is skipped
  // and listed in Warnings instead of failing the load. Default false.
  virtual HRESULT get_KeepGoing(VARIANT_BOOL* keepGoing) = 0;
  virtual HRESULT put_KeepGoing(VARIANT_BOOL keepGoing) = 0;
  // What the last successful load worked around (skipped blocks, unknown
  // component types), one line each naming the file and line; "" for none.
  virtual HRESULT get_Warnings(BSTR* warnings) = 0;
};
KELTO_INTERFACE_IID(IKeltoFileLoading, IDispatch, "4D614F22-9038-438B-8A58-FD03F79A13BD");

struct IKeltoPathWalker : IDispatch {
  virtual HRESULT Start(IKeltoPoint* point, IKeltoLeg* leg) = 0;
  // The next point along the piping; null at the end.
  virtual HRESULT Next(IKeltoPoint** point) = 0;
};
KELTO_INTERFACE_IID(IKeltoPathWalker, IDispatch, "2F34DA96-34D2-486F-A83A-CCDE1CC33BF7");

struct IKeltoSymbolCatalogue : IDispatch {
  // Four descriptive strings for a component type name.
  virtual HRESULT DescribeType(BSTR typeName, BSTR* t1, BSTR* t2, BSTR* t3, BSTR* t4) = 0;
  // How many key types a symbol key (with its variant) belongs to.
  virtual HRESULT CountKeyTypes(BSTR key, LONG variant, LONG* count) = 0;
  // The key type at a 1-based index of the last CountKeyTypes call.
  virtual HRESULT KeyTypeAt(LONG index, BSTR* keyType) = 0;
};
KELTO_INTERFACE_IID(IKeltoSymbolCatalogue, IDispatch, "31ED0608-F64B-4E67-ABD8-838A4233D81B");
