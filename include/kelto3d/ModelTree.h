// The model tree's scripting interfaces, as a host compiles against them.
//
//   ModelNode   CLSID 53208990-D5BA-46B7-A7E6-3FEE129F3474  ("Oxbay3Support.ModelNode")
//   ModelNodes  CLSID E66853D1-018E-402B-8508-546CE2521DBB  ("Kelto3D.ModelNodes")
//   Primitives  CLSID D5B69544-8201-4943-AF16-8A215971A52C  ("Kelto3D.Primitives")
//   Line        CLSID 49892BDC-B1DD-4D7B-B761-53B511D6773C  ("Kelto3D.Line")
//   Cone        CLSID 8B1BD0EB-86DF-4849-9450-EB4B474A61A1  ("Kelto3D.Cone")
//   CurvedCone  CLSID EB3D3F66-0E75-4186-AF5C-4C5B5F12D268  ("Kelto3D.CurvedCone")
//   Snout       CLSID 5059DF8D-3A4E-4392-9805-D6DCA4A7A315  ("Kelto3D.Snout")
//   Circle      CLSID B597D460-0167-4509-8608-54D2D5782D70  ("Kelto3D.Circle")
//
// A ModelNode is one node of a model tree: it stands for an outside object
// (its key among its siblings), carries a Primitives collection of geometry
// and a ModelNodes collection of children, and keeps script values under text
// keys. A ModelNode created by the host owns a fresh root node; one handed out
// for a node inside a tree does not own it. docs/scripting.md describes the
// object model, its indexing rules and its error messages.
//
// Every interface is dual: the vtables below, and IDispatch with the dispatch
// tables at the end of this file (names compare case-insensitively).
//
// XYZValue (three doubles) keeps its struct form in the vtables. Through
// IDispatch, where a record would need type information this runtime does not
// carry, a point travels as an array of three numbers X, Y, Z: a get returns
// VT_ARRAY | VT_R8 (one dimension, lower bound 0, three elements); a put
// accepts any one-dimensional array of three elements (any lower bound, any
// element type that converts to a double, VT_VARIANT included).
#pragma once

#include <new>

#include "kelto3d/PrimitiveType.h"
#include "platform/com/Api.h"
#include "platform/com/Boundary.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"

namespace kelto3d {

inline constexpr CLSID kClsidModelNode =
    kelto::com::MakeGuid("53208990-D5BA-46B7-A7E6-3FEE129F3474");
inline constexpr CLSID kClsidModelNodes =
    kelto::com::MakeGuid("E66853D1-018E-402B-8508-546CE2521DBB");
inline constexpr CLSID kClsidPrimitives =
    kelto::com::MakeGuid("D5B69544-8201-4943-AF16-8A215971A52C");
inline constexpr CLSID kClsidLine = kelto::com::MakeGuid("49892BDC-B1DD-4D7B-B761-53B511D6773C");
inline constexpr CLSID kClsidCone = kelto::com::MakeGuid("8B1BD0EB-86DF-4849-9450-EB4B474A61A1");
inline constexpr CLSID kClsidCurvedCone =
    kelto::com::MakeGuid("EB3D3F66-0E75-4186-AF5C-4C5B5F12D268");
inline constexpr CLSID kClsidSnout = kelto::com::MakeGuid("5059DF8D-3A4E-4392-9805-D6DCA4A7A315");
inline constexpr CLSID kClsidCircle = kelto::com::MakeGuid("B597D460-0167-4509-8608-54D2D5782D70");

using ::PrimitiveType;

// A point or direction: three doubles.
struct XYZValue {
  double X;
  double Y;
  double Z;
};

// Dispatch ids.
inline constexpr DISPID kDispidModelNodeObject = 1;
inline constexpr DISPID kDispidModelNodeDump = 2;
inline constexpr DISPID kDispidModelNodeAddChild = 3;
inline constexpr DISPID kDispidModelNodeSearchSubtree = 4;
inline constexpr DISPID kDispidModelNodeRemoveSubtree = 5;
inline constexpr DISPID kDispidModelNodeGeometry = 6;
inline constexpr DISPID kDispidModelNodeChildren = 7;
inline constexpr DISPID kDispidModelNodeSetAssociatedItem = 8;
inline constexpr DISPID kDispidModelNodeGetAssociatedItem = 9;
inline constexpr DISPID kDispidModelNodeClearAssociatedItem = 10;
inline constexpr DISPID kDispidModelNodeHasAssociatedItem = 11;

inline constexpr DISPID kDispidCollectionItem = 0;  // DISPID_VALUE
inline constexpr DISPID kDispidCollectionCount = 1;
inline constexpr DISPID kDispidCollectionNewEnum = -4;  // DISPID_NEWENUM

inline constexpr DISPID kDispidPrimitivesAdd3DLine = 0x60020003;
inline constexpr DISPID kDispidPrimitivesAdd3DCone = 0x60020004;
inline constexpr DISPID kDispidPrimitivesAdd3DCurvedCone = 0x60020005;
inline constexpr DISPID kDispidPrimitivesAdd3DSnout = 0x60020006;
inline constexpr DISPID kDispidPrimitivesAdd3DCircle = 0x60020007;

inline constexpr DISPID kDispidPrimitiveType = 1;
inline constexpr DISPID kDispidPrimitiveColour = 2;
// Point properties (get/put), then their GetX(X, Y, Z) and SetX(X, Y, Z)
// methods.
inline constexpr DISPID kDispidPrimitiveStart = 0xa;
inline constexpr DISPID kDispidPrimitiveEnd = 0xb;
inline constexpr DISPID kDispidPrimitiveCentre = 0xf;
inline constexpr DISPID kDispidPrimitiveDirection = 0x10;
inline constexpr DISPID kDispidPrimitiveGetStart = 0x3f2;
inline constexpr DISPID kDispidPrimitiveGetEnd = 0x3f3;
inline constexpr DISPID kDispidPrimitiveGetCentre = 0x3f7;
inline constexpr DISPID kDispidPrimitiveGetDirection = 0x3f8;
inline constexpr DISPID kDispidPrimitiveSetStart = 0x7da;
inline constexpr DISPID kDispidPrimitiveSetEnd = 0x7db;
inline constexpr DISPID kDispidPrimitiveSetCentre = 0x7df;
inline constexpr DISPID kDispidPrimitiveSetDirection = 0x7e0;
// Diameters: a circle's Diameter shares the dispid of StartDiameter.
inline constexpr DISPID kDispidPrimitiveStartDiameter = 0xc;
inline constexpr DISPID kDispidPrimitiveEndDiameter = 0xe;
inline constexpr DISPID kDispidPrimitiveDiameter = 0xc;

struct IModelNode;
struct IModelNodes;
struct IPrimitives;
struct IPrimitive;

// The event interface of ModelNode. It has no events; hosts may still
// connect to it.
struct _IModelNodeEvents : IDispatch {};

struct IModelNode : IDispatch {
  // The node's object as IDispatch (null when there is none or it has no
  // IDispatch).
  virtual HRESULT get_Object(IDispatch** pVal) = 0;
  // Replaces the node's object by newVal's identity (its IUnknown); under a
  // parent the node moves to the new key, replacing a sibling there.
  virtual HRESULT putref_Object(IUnknown* newVal) = 0;
  virtual HRESULT get_Geometry(IPrimitives** pVal) = 0;
  virtual HRESULT get_Children(IModelNodes** pVal) = 0;
  // The text dump of the node and its subtree.
  virtual HRESULT Dump(BSTR* pText) = 0;
  // Makes ChildNode's node a child of this node, taking it from its old
  // parent. Fails with "Bad child node." for null or another
  // implementation, "Unable to add child node [Non-owned root]" for the root
  // of a tree that C++ code owns, and "Cyclic model tree not allowed." when
  // ChildNode is this node or one of its ancestors.
  virtual HRESULT AddChild(IModelNode* ChildNode) = 0;
  // The node keyed by Object's identity in this subtree (a direct child
  // first, then depth-first in key order); null, and S_OK, when none.
  virtual HRESULT SearchSubtree(IUnknown* Object, IModelNode** Node) = 0;
  // Takes the node keyed by Object (found as SearchSubtree finds it) out of
  // the tree. Its ModelNode owns it from then on; absent is no error.
  virtual HRESULT RemoveSubtree(IUnknown* Object) = 0;
  // Script values, under keys converted to text ("7" and 7 are one key).
  virtual HRESULT SetAssociatedItem(VARIANT Key, VARIANT Item) = 0;
  virtual HRESULT GetAssociatedItem(VARIANT Key, VARIANT* Item) = 0;
  virtual HRESULT ClearAssociatedItem(VARIANT Key) = 0;
  virtual HRESULT HasAssociatedItem(VARIANT Key, VARIANT_BOOL* Result) = 0;
};

// A node's children in ascending key order.
struct IModelNodes : IDispatch {
  virtual HRESULT get_Count(LONG* pVal) = 0;
  // An object (VT_DISPATCH, VT_UNKNOWN) is a key: "No Match" unless it is
  // the key of a direct child. Anything else is a 1-based position: "Bad
  // Index" when it does not convert to an unsigned integer, "Invalid
  // Position" for 0 or past Count.
  virtual HRESULT get_Item(VARIANT Index, IModelNode** pVal) = 0;
  // IEnumVARIANT over the children's ModelNodes (VT_DISPATCH).
  virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
};

// A node's primitives in insertion order. Adding primitives does not notify
// the tree: a host that edits a displayed model asks the view to refresh.
struct IPrimitives : IDispatch {
  virtual HRESULT get_Count(LONG* pVal) = 0;
  // 0-based; "invalid vector<T> subscript" out of range. The object matches
  // the primitive's kind (ILine ... ICircle); null for a primitive without a
  // kind.
  virtual HRESULT get_Item(LONG Index, IPrimitive** pVal) = 0;
  virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
  // Colour (0x00BBGGRR) is optional for late-bound callers (default 0).
  virtual HRESULT Add3DLine(double StartX, double StartY, double StartZ, double EndX, double EndY,
                            double EndZ, LONG Colour) = 0;
  virtual HRESULT Add3DCone(double StartX, double StartY, double StartZ, double StartDiameter,
                            double EndX, double EndY, double EndZ, double EndDiameter,
                            LONG Colour) = 0;
  virtual HRESULT Add3DCurvedCone(double StartX, double StartY, double StartZ, double StartDiameter,
                                  double EndX, double EndY, double EndZ, double EndDiameter,
                                  double CentreX, double CentreY, double CentreZ, LONG Colour) = 0;
  virtual HRESULT Add3DSnout(double StartX, double StartY, double StartZ, double StartDiameter,
                             double EndX, double EndY, double EndZ, double EndDiameter,
                             double DirectionX, double DirectionY, double DirectionZ,
                             LONG Colour) = 0;
  virtual HRESULT Add3DCircle(double CentreX, double CentreY, double CentreZ, double Diameter,
                              double DirectionX, double DirectionY, double DirectionZ,
                              LONG Colour) = 0;
};

// What every primitive object offers. Type is the kind of the object's class
// (Line 1 ... Circle 5). The other members read and write the record of the
// object's kind: a primitive of another kind is converted first (points at
// the origin, diameters and colour 0), and an object made by the host gets a
// fresh primitive of its kind on first use.
struct IPrimitive : IDispatch {
  virtual HRESULT get_Type(PrimitiveType* pVal) = 0;
  virtual HRESULT get_Colour(LONG* pVal) = 0;
  virtual HRESULT put_Colour(LONG newVal) = 0;
};

struct ILine : IPrimitive {
  virtual HRESULT get_Start(XYZValue* pVal) = 0;
  virtual HRESULT put_Start(XYZValue newVal) = 0;
  virtual HRESULT GetStart(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetStart(double X, double Y, double Z) = 0;
  virtual HRESULT get_End(XYZValue* pVal) = 0;
  virtual HRESULT put_End(XYZValue newVal) = 0;
  virtual HRESULT GetEnd(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetEnd(double X, double Y, double Z) = 0;
};

struct ICone : IPrimitive {
  virtual HRESULT get_Start(XYZValue* pVal) = 0;
  virtual HRESULT put_Start(XYZValue newVal) = 0;
  virtual HRESULT GetStart(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetStart(double X, double Y, double Z) = 0;
  virtual HRESULT get_End(XYZValue* pVal) = 0;
  virtual HRESULT put_End(XYZValue newVal) = 0;
  virtual HRESULT GetEnd(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetEnd(double X, double Y, double Z) = 0;
  virtual HRESULT get_StartDiameter(double* pVal) = 0;
  virtual HRESULT put_StartDiameter(double newVal) = 0;
  virtual HRESULT get_EndDiameter(double* pVal) = 0;
  virtual HRESULT put_EndDiameter(double newVal) = 0;
};

struct ICurvedCone : IPrimitive {
  virtual HRESULT get_Start(XYZValue* pVal) = 0;
  virtual HRESULT put_Start(XYZValue newVal) = 0;
  virtual HRESULT GetStart(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetStart(double X, double Y, double Z) = 0;
  virtual HRESULT get_End(XYZValue* pVal) = 0;
  virtual HRESULT put_End(XYZValue newVal) = 0;
  virtual HRESULT GetEnd(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetEnd(double X, double Y, double Z) = 0;
  virtual HRESULT get_StartDiameter(double* pVal) = 0;
  virtual HRESULT put_StartDiameter(double newVal) = 0;
  virtual HRESULT get_EndDiameter(double* pVal) = 0;
  virtual HRESULT put_EndDiameter(double newVal) = 0;
  virtual HRESULT get_Centre(XYZValue* pVal) = 0;
  virtual HRESULT put_Centre(XYZValue newVal) = 0;
  virtual HRESULT GetCentre(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetCentre(double X, double Y, double Z) = 0;
};

struct ISnout : IPrimitive {
  virtual HRESULT get_Start(XYZValue* pVal) = 0;
  virtual HRESULT put_Start(XYZValue newVal) = 0;
  virtual HRESULT GetStart(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetStart(double X, double Y, double Z) = 0;
  virtual HRESULT get_End(XYZValue* pVal) = 0;
  virtual HRESULT put_End(XYZValue newVal) = 0;
  virtual HRESULT GetEnd(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetEnd(double X, double Y, double Z) = 0;
  virtual HRESULT get_StartDiameter(double* pVal) = 0;
  virtual HRESULT put_StartDiameter(double newVal) = 0;
  virtual HRESULT get_EndDiameter(double* pVal) = 0;
  virtual HRESULT put_EndDiameter(double newVal) = 0;
  virtual HRESULT get_Direction(XYZValue* pVal) = 0;
  virtual HRESULT put_Direction(XYZValue newVal) = 0;
  virtual HRESULT GetDirection(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetDirection(double X, double Y, double Z) = 0;
};

struct ICircle : IPrimitive {
  virtual HRESULT get_Centre(XYZValue* pVal) = 0;
  virtual HRESULT put_Centre(XYZValue newVal) = 0;
  virtual HRESULT GetCentre(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetCentre(double X, double Y, double Z) = 0;
  virtual HRESULT get_Direction(XYZValue* pVal) = 0;
  virtual HRESULT put_Direction(XYZValue newVal) = 0;
  virtual HRESULT GetDirection(double* X, double* Y, double* Z) = 0;
  virtual HRESULT SetDirection(double X, double Y, double Z) = 0;
  virtual HRESULT get_Diameter(double* pVal) = 0;
  virtual HRESULT put_Diameter(double newVal) = 0;
};

// --- XYZValue through IDispatch -------------------------------------------------

// VT_ARRAY | VT_R8 {X, Y, Z} into *out (overwritten without being freed).
inline HRESULT XYZValueToVariant(const XYZValue& value, VARIANT* out) noexcept {
  if (!out) return E_POINTER;
  VariantInit(out);
  SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 3);
  if (!array) return E_OUTOFMEMORY;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) {
    SafeArrayDestroy(array);
    return E_UNEXPECTED;
  }
  double* xyz = static_cast<double*>(data);
  xyz[0] = value.X;
  xyz[1] = value.Y;
  xyz[2] = value.Z;
  SafeArrayUnaccessData(array);
  out->vt = VT_ARRAY | VT_R8;
  out->parray = array;
  return S_OK;
}

// A one-dimensional array of three numbers (also by reference) into *out;
// DISP_E_TYPEMISMATCH for anything else, or the failure of an element's
// conversion to a double.
inline HRESULT XYZValueFromVariant(const VARIANT& value, XYZValue* out) noexcept {
  if (!out) return E_POINTER;
  const VARIANT* v = &value;
  if (v->vt == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
  if (!v || !(v->vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
  SAFEARRAY* array = (v->vt & VT_BYREF) ? (v->pparray ? *v->pparray : nullptr) : v->parray;
  const VARTYPE elementVt = static_cast<VARTYPE>(v->vt & ~(VT_ARRAY | VT_BYREF));
  LONG lower = 0;
  LONG upper = -1;
  if (!array || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper)) || static_cast<long long>(upper) - lower != 2)
    return DISP_E_TYPEMISMATCH;
  // Elements that SafeArrayGetElement can hand over as a VARIANT's value.
  switch (elementVt) {
    case VT_VARIANT:
    case VT_R8:
    case VT_R4:
    case VT_I4:
    case VT_I2:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_BOOL:
    case VT_BSTR:
    case VT_DATE:
    case VT_CY:
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  double xyz[3] = {};
  for (LONG i = 0; i < 3; ++i) {
    LONG index = lower + i;
    VARIANT element;
    VariantInit(&element);
    HRESULT hr = elementVt == VT_VARIANT ? SafeArrayGetElement(array, &index, &element)
                                         : SafeArrayGetElement(array, &index, &element.llVal);
    if (FAILED(hr)) return hr;
    if (elementVt != VT_VARIANT) element.vt = elementVt;
    VARIANT number;
    VariantInit(&number);
    hr = VariantChangeType(&number, &element, 0, VT_R8);
    VariantClear(&element);
    if (FAILED(hr)) return hr;
    xyz[i] = number.dblVal;
  }
  *out = XYZValue{xyz[0], xyz[1], xyz[2]};
  return S_OK;
}

}  // namespace kelto3d

KELTO_INTERFACE_IID(kelto3d::_IModelNodeEvents, IDispatch, "03D6AA2F-B3AE-433C-9772-211E0DED4DA6");
KELTO_INTERFACE_IID(kelto3d::IModelNode, IDispatch, "69BA0CD8-8C32-440F-8F2A-805146780072");
KELTO_INTERFACE_IID(kelto3d::IModelNodes, IDispatch, "BCA76E7A-6D77-4A9D-B361-BC6DFEAD38C1");
KELTO_INTERFACE_IID(kelto3d::IPrimitives, IDispatch, "B34DE776-68B6-4B43-A35B-2E1BEA847B5B");
KELTO_INTERFACE_IID(kelto3d::IPrimitive, IDispatch, "84FE3D6A-CD23-4FF1-91C6-E6BD6B5CC271");
KELTO_INTERFACE_IID(kelto3d::ILine, kelto3d::IPrimitive, "7132569F-9FDD-409B-92FC-703C8F93D933");
KELTO_INTERFACE_IID(kelto3d::ICone, kelto3d::IPrimitive, "A50F549E-4479-4583-96C0-B087E7D3D03D");
KELTO_INTERFACE_IID(kelto3d::ICurvedCone, kelto3d::IPrimitive,
                    "3DB26DE1-0521-4393-AF0F-B8A7C8A0E2A8");
KELTO_INTERFACE_IID(kelto3d::ISnout, kelto3d::IPrimitive, "EC1D573B-8AAD-4328-9733-FCDB6A689BA3");
KELTO_INTERFACE_IID(kelto3d::ICircle, kelto3d::IPrimitive, "24CEDAF7-4D1B-4289-93D0-5455B3536C3A");

// How the dispatch tables pass an XYZValue: [in] as any VARIANT converted by
// XYZValueFromVariant (a value that does not convert fails the call with
// DISP_E_TYPEMISMATCH as its error code), [out] as the array of
// XYZValueToVariant.
namespace kelto::com::detail {
template <>
struct Arg<kelto3d::XYZValue> {
  using Slot = kelto3d::XYZValue;
  static constexpr ParamInfo info{VT_VARIANT, false, nullptr};
  static Slot Init(const VARIANT& v) {
    Slot value{};
    if (const HRESULT hr = kelto3d::XYZValueFromVariant(v, &value); FAILED(hr))
      throw HResultError(hr, "A point is an array of three numbers: X, Y, Z.");
    return value;
  }
  static kelto3d::XYZValue Pass(Slot& s) { return s; }
  static void Finish(Slot&, VARIANT&) {}
};
template <>
struct Arg<kelto3d::XYZValue*> {
  using Slot = kelto3d::XYZValue;
  static constexpr ParamInfo info{VT_VARIANT, true, nullptr};
  static Slot Init(const VARIANT&) { return Slot{}; }
  static kelto3d::XYZValue* Pass(Slot& s) { return &s; }
  static void Finish(Slot& s, VARIANT& v) {
    VariantClear(&v);
    if (FAILED(kelto3d::XYZValueToVariant(s, &v))) throw std::bad_alloc();
  }
};
}  // namespace kelto::com::detail

// --- Dispatch tables ---------------------------------------------------------------

// One row per line reads like the interface definition; keep it that way.
// clang-format off
KELTO_DISPATCH_MAP(kelto3d::IModelNode,
    kelto::com::PropGet<&kelto3d::IModelNode::get_Object>("Object", kelto3d::kDispidModelNodeObject),
    kelto::com::PropPutRef<&kelto3d::IModelNode::putref_Object>("Object", kelto3d::kDispidModelNodeObject),
    kelto::com::PropGet<&kelto3d::IModelNode::get_Geometry>("Geometry", kelto3d::kDispidModelNodeGeometry),
    kelto::com::PropGet<&kelto3d::IModelNode::get_Children>("Children", kelto3d::kDispidModelNodeChildren),
    kelto::com::Method<&kelto3d::IModelNode::Dump>("Dump", kelto3d::kDispidModelNodeDump),
    kelto::com::Method<&kelto3d::IModelNode::AddChild>("AddChild", kelto3d::kDispidModelNodeAddChild).Names("ChildNode"),
    kelto::com::Method<&kelto3d::IModelNode::SearchSubtree>("SearchSubtree", kelto3d::kDispidModelNodeSearchSubtree).Names("Object"),
    kelto::com::Method<&kelto3d::IModelNode::RemoveSubtree>("RemoveSubtree", kelto3d::kDispidModelNodeRemoveSubtree).Names("Object"),
    kelto::com::Method<&kelto3d::IModelNode::SetAssociatedItem>("SetAssociatedItem", kelto3d::kDispidModelNodeSetAssociatedItem).Names("Key, Item"),
    kelto::com::Method<&kelto3d::IModelNode::GetAssociatedItem>("GetAssociatedItem", kelto3d::kDispidModelNodeGetAssociatedItem).Names("Key"),
    kelto::com::Method<&kelto3d::IModelNode::ClearAssociatedItem>("ClearAssociatedItem", kelto3d::kDispidModelNodeClearAssociatedItem).Names("Key"),
    kelto::com::Method<&kelto3d::IModelNode::HasAssociatedItem>("HasAssociatedItem", kelto3d::kDispidModelNodeHasAssociatedItem).Names("Key"));

KELTO_DISPATCH_MAP(kelto3d::IModelNodes,
    kelto::com::PropGet<&kelto3d::IModelNodes::get_Count>("Count", kelto3d::kDispidCollectionCount),
    kelto::com::PropGet<&kelto3d::IModelNodes::get_Item>("Item", kelto3d::kDispidCollectionItem).Names("Index"),
    kelto::com::PropGet<&kelto3d::IModelNodes::get__NewEnum>("_NewEnum", kelto3d::kDispidCollectionNewEnum));

KELTO_DISPATCH_MAP(kelto3d::IPrimitives,
    kelto::com::PropGet<&kelto3d::IPrimitives::get_Count>("Count", kelto3d::kDispidCollectionCount),
    kelto::com::PropGet<&kelto3d::IPrimitives::get_Item>("Item", kelto3d::kDispidCollectionItem).Names("Index"),
    kelto::com::PropGet<&kelto3d::IPrimitives::get__NewEnum>("_NewEnum", kelto3d::kDispidCollectionNewEnum),
    kelto::com::Method<&kelto3d::IPrimitives::Add3DLine>("Add3DLine", kelto3d::kDispidPrimitivesAdd3DLine, {0})
        .Names("StartX, StartY, StartZ, EndX, EndY, EndZ, Colour"),
    kelto::com::Method<&kelto3d::IPrimitives::Add3DCone>("Add3DCone", kelto3d::kDispidPrimitivesAdd3DCone, {0})
        .Names("StartX, StartY, StartZ, StartDiameter, EndX, EndY, EndZ, EndDiameter, Colour"),
    kelto::com::Method<&kelto3d::IPrimitives::Add3DCurvedCone>("Add3DCurvedCone", kelto3d::kDispidPrimitivesAdd3DCurvedCone, {0})
        .Names("StartX, StartY, StartZ, StartDiameter, EndX, EndY, EndZ, EndDiameter, CentreX, CentreY, CentreZ, Colour"),
    kelto::com::Method<&kelto3d::IPrimitives::Add3DSnout>("Add3DSnout", kelto3d::kDispidPrimitivesAdd3DSnout, {0})
        .Names("StartX, StartY, StartZ, StartDiameter, EndX, EndY, EndZ, EndDiameter, DirectionX, DirectionY, DirectionZ, Colour"),
    kelto::com::Method<&kelto3d::IPrimitives::Add3DCircle>("Add3DCircle", kelto3d::kDispidPrimitivesAdd3DCircle, {0})
        .Names("CentreX, CentreY, CentreZ, Diameter, DirectionX, DirectionY, DirectionZ, Colour"));

KELTO_DISPATCH_MAP(kelto3d::IPrimitive,
    kelto::com::PropGet<&kelto3d::IPrimitive::get_Type>("Type", kelto3d::kDispidPrimitiveType),
    kelto::com::PropGet<&kelto3d::IPrimitive::get_Colour>("Colour", kelto3d::kDispidPrimitiveColour),
    kelto::com::PropPut<&kelto3d::IPrimitive::put_Colour>("Colour", kelto3d::kDispidPrimitiveColour));

// The rows of a point property (Name get/put plus GetName/SetName taking
// three doubles) and of a scalar property (Name get/put); every primitive
// interface spells them alike, with the shared primitive dispids.
#define KELTO_PRIMITIVE_POINT_ROWS(I, Name)                                              \
  kelto::com::PropGet<&I::get_##Name>(#Name, kelto3d::kDispidPrimitive##Name),            \
  kelto::com::PropPut<&I::put_##Name>(#Name, kelto3d::kDispidPrimitive##Name),            \
  kelto::com::Method<&I::Get##Name>("Get" #Name, kelto3d::kDispidPrimitiveGet##Name)      \
      .NoRetval().Names("X, Y, Z"),                                                       \
  kelto::com::Method<&I::Set##Name>("Set" #Name, kelto3d::kDispidPrimitiveSet##Name)      \
      .Names("X, Y, Z")
#define KELTO_PRIMITIVE_SCALAR_ROWS(I, Name)                                   \
  kelto::com::PropGet<&I::get_##Name>(#Name, kelto3d::kDispidPrimitive##Name), \
  kelto::com::PropPut<&I::put_##Name>(#Name, kelto3d::kDispidPrimitive##Name)

KELTO_DISPATCH_MAP_INHERIT(kelto3d::ILine, kelto3d::IPrimitive,
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ILine, Start),
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ILine, End));

KELTO_DISPATCH_MAP_INHERIT(kelto3d::ICone, kelto3d::IPrimitive,
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ICone, Start),
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ICone, End),
    KELTO_PRIMITIVE_SCALAR_ROWS(kelto3d::ICone, StartDiameter),
    KELTO_PRIMITIVE_SCALAR_ROWS(kelto3d::ICone, EndDiameter));

KELTO_DISPATCH_MAP_INHERIT(kelto3d::ICurvedCone, kelto3d::IPrimitive,
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ICurvedCone, Start),
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ICurvedCone, End),
    KELTO_PRIMITIVE_SCALAR_ROWS(kelto3d::ICurvedCone, StartDiameter),
    KELTO_PRIMITIVE_SCALAR_ROWS(kelto3d::ICurvedCone, EndDiameter),
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ICurvedCone, Centre));

KELTO_DISPATCH_MAP_INHERIT(kelto3d::ISnout, kelto3d::IPrimitive,
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ISnout, Start),
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ISnout, End),
    KELTO_PRIMITIVE_SCALAR_ROWS(kelto3d::ISnout, StartDiameter),
    KELTO_PRIMITIVE_SCALAR_ROWS(kelto3d::ISnout, EndDiameter),
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ISnout, Direction));

KELTO_DISPATCH_MAP_INHERIT(kelto3d::ICircle, kelto3d::IPrimitive,
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ICircle, Centre),
    KELTO_PRIMITIVE_POINT_ROWS(kelto3d::ICircle, Direction),
    KELTO_PRIMITIVE_SCALAR_ROWS(kelto3d::ICircle, Diameter));

#undef KELTO_PRIMITIVE_POINT_ROWS
#undef KELTO_PRIMITIVE_SCALAR_ROWS
// clang-format on
