#include "module/TypeLibrary.h"

#include "colour/ColourSchemeDispatch.h"
#include "com/ModuleLock.h"
#include "kelto3d/ColourSchemes.h"
#include "kelto3d/ModelBuilders.h"
#include "kelto3d/ModelTree.h"
#include "kelto3d/Options.h"
#include "kelto3d/PrimitiveType.h"
#include "kelto3d/Tags.h"
#include "kelto3d/View.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Enumeration.h"
#include "tags/ComTagEngine.h"
#include "tags/ComTagSet.h"
#include "view/ComActionTables.h"
#include "view/ViewCtrlEvents.h"

namespace kelto3d {

namespace {

using kelto::com::CoClassDescription;
using kelto::com::Describe;
using kelto::com::EnumDescription;
using kelto::com::EnumMember;
using kelto::com::IidOf;
using kelto::com::InterfaceDescription;

// Interfaces come first, so that a class's reference to an interface is that
// interface's index.
constexpr InterfaceDescription kInterfaces[] = {
    Describe<IModelNode>(),
    Describe<IModelNodes>(),
    Describe<IPrimitives>(),
    Describe<IPrimitive>(),
    Describe<ILine>(),
    Describe<ICone>(),
    Describe<ICurvedCone>(),
    Describe<ISnout>(),
    Describe<ICircle>(),
    Describe<IOptions>(),
    Describe<IModelBuilder>(),
    Describe<ISolidModelBuilder>(),
    Describe<ISymbolicModelBuilder>(),
    Describe<IColourScheme>(),
    Describe<IGroupColScheme>(),
    Describe<IUserColScheme>(),
    Describe<ITagEngine>(),
    Describe<ITagSet>(),
    Describe<IDragActionTable>(),
    Describe<IPickActionTable>(),
    Describe<IWheelActionTable>(),
    Describe<IPipeItems>(),
    Describe<IPipeline3DViewCtrl>(),
    kViewCtrlEventsDescription,
};

// Every parameter a caller passes has its name in the tables (but the value
// of a property put, which type information leaves unnamed).
consteval bool EveryParameterIsNamed() {
  for (const InterfaceDescription& i : kInterfaces)
    for (const kelto::com::DispatchEntry& e : i.members) {
      const bool put = e.kind == kelto::com::MemberKind::Put || e.kind == kelto::com::MemberKind::PutRef;
      if (!e.paramNames && e.CallerArgs() > (put ? 1u : 0u)) return false;
    }
  return true;
}
static_assert(EveryParameterIsNamed(), "a dispatch table row needs .Names(...)");

// The constants come from the lists the C++ enumerations are made of.
constexpr EnumMember kMouseKeys[] = {KELTO3D_MOUSE_KEYS(KELTO_ENUM_CONSTANT)};
constexpr EnumMember kDragAction[] = {KELTO3D_DRAG_ACTIONS(KELTO_ENUM_CONSTANT)};
constexpr EnumMember kPickAction[] = {KELTO3D_PICK_ACTIONS(KELTO_ENUM_CONSTANT)};
constexpr EnumMember kWheelAction[] = {KELTO3D_WHEEL_ACTIONS(KELTO_ENUM_CONSTANT)};
constexpr EnumMember kStandardViewDir[] = {KELTO3D_STANDARD_VIEW_DIRS(KELTO_ENUM_CONSTANT)};
constexpr EnumMember kRepresentationType[] = {KELTO3D_REPRESENTATION_TYPES(KELTO_ENUM_CONSTANT)};
constexpr EnumMember kPrimitiveType[] = {KELTO3D_PRIMITIVE_TYPES(KELTO_ENUM_CONSTANT)};

constexpr EnumDescription kEnums[] = {
    {"MouseKeys", kMouseKeys},
    {"DragAction", kDragAction},
    {"PickAction", kPickAction},
    {"WheelAction", kWheelAction},
    {"StandardViewDir", kStandardViewDir},
    {"RepresentationType", kRepresentationType},
    {"PrimitiveType", kPrimitiveType},
};

// The creatable classes and the interfaces each is used through, in the
// class list's order. RendererPropPg, a property page, is not described.
constexpr CoClassDescription kClasses[] = {
    {"GroupColScheme", kClsidGroupColScheme, IidOf<IGroupColScheme>()},
    {"UserColScheme", kClsidUserColScheme, IidOf<IUserColScheme>()},
    {"TagSet", kClsidTagSet, IidOf<ITagSet>()},
    {"TagEngine", kClsidTagEngine, IidOf<ITagEngine>()},
    {"ModelNode", kClsidModelNode, IidOf<IModelNode>()},
    {"Line", kClsidLine, IidOf<ILine>()},
    {"Cone", kClsidCone, IidOf<ICone>()},
    {"CurvedCone", kClsidCurvedCone, IidOf<ICurvedCone>()},
    {"Snout", kClsidSnout, IidOf<ISnout>()},
    {"Circle", kClsidCircle, IidOf<ICircle>()},
    {"Primitives", kClsidPrimitives, IidOf<IPrimitives>()},
    {"ModelNodes", kClsidModelNodes, IidOf<IModelNodes>()},
    {"DragActionTable", kClsidDragActionTable, IidOf<IDragActionTable>()},
    {"PickActionTable", kClsidPickActionTable, IidOf<IPickActionTable>()},
    {"WheelActionTable", kClsidWheelActionTable, IidOf<IWheelActionTable>()},
    {"Options", kClsidOptions, IidOf<IOptions>()},
    {"SolidModelBuilder", kClsidSolidModelBuilder, IidOf<ISolidModelBuilder>()},
    {"SymbolicModelBuilder", kClsidSymbolicModelBuilder, IidOf<ISymbolicModelBuilder>()},
    {"PipeItems", kClsidPipeItems, IidOf<IPipeItems>()},
    {"Pipeline3DViewCtrl", kClsidPipeline3DViewCtrl, IidOf<IPipeline3DViewCtrl>(),
     IidOf<_IPipeline3DViewCtrlEvents>()},
};

constexpr kelto::com::TypeLibDescription kLibrary{
    "CorvaneKelto3D", kLibId, 1, 0, "Corvane KeltoFile 3D Library version 1",
    kInterfaces,      kEnums, kClasses,
};

}  // namespace

const kelto::com::TypeLibDescription& TypeLibrary() { return kLibrary; }

}  // namespace kelto3d
