#include "module/TypeLibrary.h"

#include "colour/ColourSchemeDispatch.h"
#include "com/ModuleLock.h"
#include "kelto3d/ColourSchemes.h"
#include "kelto3d/ModelBuilders.h"
#include "kelto3d/ModelTree.h"
#include "kelto3d/Options.h"
#include "kelto3d/PrimitiveType.h"
#include "kelto3d/Tags.h"
#include "platform/com/Dispatch.h"
#include "tags/ComTagEngine.h"
#include "tags/ComTagSet.h"

namespace kelto3d {

namespace {

using kelto::com::CoClassDescription;
using kelto::com::Describe;
using kelto::com::EnumDescription;
using kelto::com::EnumMember;
using kelto::com::IidOf;
using kelto::com::InterfaceDescription;

// Interfaces come first, so that a class's reference to its default
// interface is that interface's index. Each slot below is where a class not
// built yet adds its line.
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
    // Slots: IDragActionTable, IPickActionTable, IWheelActionTable,
    // IPipeItems, IPipeline3DViewCtrl.
};

// The values are those of the public headers and of the view's tables; a
// header that defines one of these enumerations for C++ replaces its list
// here with a reference to it.
constexpr EnumMember kMouseKeys[] = {
    {"mkLButton", 1}, {"mkRButton", 2},   {"mkShift", 4},     {"mkControl", 8},
    {"mkMButton", 16}, {"mkXButton1", 32}, {"mkXButton2", 64},
};
constexpr EnumMember kDragAction[] = {
    {"daNone", 0}, {"daZoom", 1}, {"daRotateUDLR", 2}, {"daRotateUDCA", 3}, {"daPan", 4},
};
constexpr EnumMember kPickAction[] = {
    {"paNone", 0}, {"paCentre", 1}, {"paSelect", 2}, {"paToggleSelect", 3}, {"paPopupMenu", 4},
};
constexpr EnumMember kWheelAction[] = {{"waNone", 0}, {"waZoomInv", 1}};
constexpr EnumMember kStandardViewDir[] = {
    {"svdNorthTopLeft", 0},    {"svdNorthTopRight", 1}, {"svdNorthBottomLeft", 2},
    {"svdNorthBottomRight", 3}, {"svdLookDown", 4},      {"svdLookUp", 5},
    {"svdLookEast", 6},        {"svdLookWest", 7},      {"svdLookNorth", 8},
    {"svdLookSouth", 9},
};
constexpr EnumMember kRepresentationType[] = {{"rtSolid", 0}, {"rtSymbolic", 1}};
constexpr EnumMember kPrimitiveType[] = {
    {"ptLine", ptLine},   {"ptCone", ptCone},     {"ptCurvedCone", ptCurvedCone},
    {"ptSnout", ptSnout}, {"ptCircle", ptCircle},
};

constexpr EnumDescription kEnums[] = {
    {"MouseKeys", kMouseKeys},
    {"DragAction", kDragAction},
    {"PickAction", kPickAction},
    {"WheelAction", kWheelAction},
    {"StandardViewDir", kStandardViewDir},
    {"RepresentationType", kRepresentationType},
    {"PrimitiveType", kPrimitiveType},
};

// The creatable classes and the interface each is used through, in the
// class list's order.
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
    // Slots: DragActionTable, PickActionTable, WheelActionTable.
    {"Options", kClsidOptions, IidOf<IOptions>()},
    {"SolidModelBuilder", kClsidSolidModelBuilder, IidOf<ISolidModelBuilder>()},
    {"SymbolicModelBuilder", kClsidSymbolicModelBuilder, IidOf<ISymbolicModelBuilder>()},
    // Slots: PipeItems, Pipeline3DViewCtrl (RendererPropPg is not described).
};

constexpr kelto::com::TypeLibDescription kLibrary{
    "CorvaneKelto3D", kLibId, 1, 0, "Corvane KeltoFile 3D Library version 1",
    kInterfaces,      kEnums, kClasses,
};

}  // namespace

const kelto::com::TypeLibDescription& TypeLibrary() { return kLibrary; }

}  // namespace kelto3d
