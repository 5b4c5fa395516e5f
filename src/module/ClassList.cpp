#include "module/ClassList.h"

#include "colour/ComGroupColScheme.h"
#include "colour/ComUserColScheme.h"
#include "com/faces/ComModelNode.h"
#include "com/faces/ComModelNodes.h"
#include "com/faces/ComPrimitiveKinds.h"
#include "com/faces/ComPrimitives.h"
#include "kelto3d/RendererPropPg.h"
#include "module/ClassKeys.h"
#include "options/ComOptions.h"
#include "platform/com/ClassFactory.h"
#include "solid/ComSolidModelBuilder.h"
#include "symbolic/ComSymbolicModelBuilder.h"
#include "tags/ComTagEngine.h"
#include "tags/ComTagSet.h"
#include "view/ComActionTables.h"
#include "view/PipeItems.h"
#include "view/Pipeline3DViewCtrl.h"
#include "view/settings/RendererPropPg.h"

namespace kelto3d {

namespace {

// One line per class, in registration order (which is also the numbering the
// comments give). Two families, as the classes were first registered:
//   by code:   {kClsidX, "Kelto3D.X.1", "Kelto3D.X", "X Object", &Create<CComX>, "apartment"},
//   by script: {kClsidX, "Vendor.X.1", "Vendor.X", "X Class", &Create<CComX>},
// (threading model "apartment" against the default "Apartment").
// Three classes of the type library (Kelto3GeometryBuilder, Model, PipeFile)
// are declared for scripts only and are never served.
// clang-format off
constexpr kelto::com::ClassEntry kClassTable[] = {
    {kClsidGroupColScheme, "Kelto3D.GroupColScheme.1", "Kelto3D.GroupColScheme", "GroupColScheme Object", &kelto::com::CreateInstanceOf<CComGroupColScheme>, "apartment"},
    {kClsidUserColScheme, "Kelto3D.UserColScheme.1", "Kelto3D.UserColScheme", "UserColScheme Object", &kelto::com::CreateInstanceOf<CComUserColScheme>, "apartment"},
    {kClsidTagSet, "Kelto3D.TagSet.1", "Kelto3D.TagSet", "TagSet Object", &kelto::com::CreateInstanceOf<CComTagSet>, "apartment"},
    {kClsidTagEngine, "Kelto3D.TagEngine.1", "Kelto3D.TagEngine", "TagEngine Object", &kelto::com::CreateInstanceOf<CComTagEngine>, "apartment"},
    {kClsidModelNode, "Oxbay3Support.ModelNode.1", "Oxbay3Support.ModelNode", "ModelNode Class", &kelto::com::CreateInstanceOf<CComModelNode>},
    {kClsidLine, "Kelto3D.Line.1", "Kelto3D.Line", "Line Object", &kelto::com::CreateInstanceOf<CComLine>, "apartment"},
    {kClsidCone, "Kelto3D.Cone.1", "Kelto3D.Cone", "Cone Object", &kelto::com::CreateInstanceOf<CComCone>, "apartment"},
    {kClsidCurvedCone, "Kelto3D.CurvedCone.1", "Kelto3D.CurvedCone", "CurvedCone Object", &kelto::com::CreateInstanceOf<CComCurvedCone>, "apartment"},
    {kClsidSnout, "Kelto3D.Snout.1", "Kelto3D.Snout", "Snout Object", &kelto::com::CreateInstanceOf<CComSnout>, "apartment"},
    {kClsidCircle, "Kelto3D.Circle.1", "Kelto3D.Circle", "Circle Object", &kelto::com::CreateInstanceOf<CComCircle>, "apartment"},
    {kClsidPrimitives, "Kelto3D.Primitives.1", "Kelto3D.Primitives", "Primitives Object", &kelto::com::CreateInstanceOf<CComPrimitives>, "apartment"},
    {kClsidModelNodes, "Kelto3D.ModelNodes.1", "Kelto3D.ModelNodes", "ModelNodes Class", &kelto::com::CreateInstanceOf<CComModelNodes>},
    {kClsidDragActionTable, "Kelto3D.DragActionTable.1", "Kelto3D.DragActionTable", "DragActionTable Object", &kelto::com::CreateInstanceOf<CComDragActionTable>, "apartment"},
    {kClsidPickActionTable, "Kelto3D.PickActionTable.1", "Kelto3D.PickActionTable", "PickActionTable Object", &kelto::com::CreateInstanceOf<CComPickActionTable>, "apartment"},
    {kClsidWheelActionTable, "Kelto3D.WheelActionTable.1", "Kelto3D.WheelActionTable", "WheelActionTable Object", &kelto::com::CreateInstanceOf<CComWheelActionTable>, "apartment"},
    {kClsidOptions, "Oxbay3Support.Options.1", "Oxbay3Support.Options", "Options Class", &kelto::com::CreateInstanceOf<CComOptions>},
    {kClsidSolidModelBuilder, "Oxbay3Support.SolidModelBuilder.1", "Oxbay3Support.SolidModelBuilder", "SolidModelBuilder Class", &kelto::com::CreateInstanceOf<CComSolidModelBuilder>},
    {kClsidSymbolicModelBuilder, "Kelto3D.SymbolicModelBuilder.1", "Kelto3D.SymbolicModelBuilder", "SymbolicModelBuilder Class", &kelto::com::CreateInstanceOf<CComSymbolicModelBuilder>},
    {kClsidPipeItems, "Oxbay3Support.PipeItems.1", "Oxbay3Support.PipeItems", "PipeItems Class", &kelto::com::CreateInstanceOf<CPipeItems>},
    {kClsidPipeline3DViewCtrl, "Oxbay3Support.Pipeline3DViewCtrl.1", "Oxbay3Support.Pipeline3DViewCtrl", "Pipeline3DViewCtrl Class", &kelto::com::CreateInstanceOf<CPipeline3DViewCtrl>, "Apartment", true, kViewControlKeys},
    // The options page: no ProgID, not in the type library.
    {kClsidRendererPropPg, nullptr, nullptr, "RendererPropPg Class", &kelto::com::CreateInstanceOf<CRendererPropPg>, "Apartment", false},
};
// clang-format on
constexpr std::span<const kelto::com::ClassEntry> kClasses{kClassTable};

}  // namespace

std::span<const kelto::com::ClassEntry> ClassList() { return kClasses; }

}  // namespace kelto3d
