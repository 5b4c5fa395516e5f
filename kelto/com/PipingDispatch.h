// The dispatch tables of the piping interfaces (include/kelto/Piping.h): the
// names scripts and the tag engine call, and their dispids. The dispids are
// part of the scripting contract (docs/piping-scripting.md lists them); a
// client that caches them must not see them move, so new members only ever
// get new numbers.
//
// Conventions: collections answer Count (1), Item (DISPID_VALUE, the default
// member) and _NewEnum (DISPID_NEWENUM); an attribute's and a route entry's
// Value is their default member too. The other members are numbered from 1
// in the order of the interface.
#pragma once

#include "kelto/Piping.h"
#include "platform/com/Dispatch.h"

namespace kelto::dispid {
inline constexpr DISPID kCount = 1;
inline constexpr DISPID kItem = DISPID_VALUE;
inline constexpr DISPID kNewEnum = DISPID_NEWENUM;

inline constexpr DISPID kFilePipelines = 1;
inline constexpr DISPID kFileLoad = 2;
inline constexpr DISPID kFilePath = 3;

inline constexpr DISPID kPipelineName = 1;
inline constexpr DISPID kPipelineComponents = 2;
inline constexpr DISPID kPipelineFile = 3;
inline constexpr DISPID kPipelineRoutes = 4;

inline constexpr DISPID kComponentId = 1;
inline constexpr DISPID kComponentPipeline = 2;
inline constexpr DISPID kComponentLegs = 3;
inline constexpr DISPID kComponentPoints = 4;
inline constexpr DISPID kComponentAttributes = 5;
inline constexpr DISPID kComponentDetails = 6;
inline constexpr DISPID kComponentAttachmentCount = 7;
inline constexpr DISPID kComponentAttachment = 8;

inline constexpr DISPID kItemTypeName = 1;
inline constexpr DISPID kItemGroupName = 2;
inline constexpr DISPID kItemItemCode = 3;
inline constexpr DISPID kItemSymbolKey = 4;
inline constexpr DISPID kItemShapeCode = 5;

inline constexpr DISPID kPointName = 1;
inline constexpr DISPID kPointBore = 2;
inline constexpr DISPID kPointBoreUnits = 3;
inline constexpr DISPID kPointEndType = 4;
inline constexpr DISPID kPointIsInternalPoint = 5;
inline constexpr DISPID kPointPosition = 6;
inline constexpr DISPID kPointConnectedPoint = 7;
inline constexpr DISPID kPointOwnerComponent = 8;

inline constexpr DISPID kLegFromPoint = 1;
inline constexpr DISPID kLegToPoint = 2;
inline constexpr DISPID kLegHasDirection = 3;
inline constexpr DISPID kLegDirection = 4;
inline constexpr DISPID kLegLength = 5;

inline constexpr DISPID kAttributeValue = DISPID_VALUE;
inline constexpr DISPID kAttributeName = 1;

inline constexpr DISPID kRouteEntryValue = DISPID_VALUE;

inline constexpr DISPID kWalkerStart = 1;
inline constexpr DISPID kWalkerNext = 2;

inline constexpr DISPID kCatalogueDescribeType = 1;
inline constexpr DISPID kCatalogueCountKeyTypes = 2;
inline constexpr DISPID kCatalogueKeyTypeAt = 3;

inline constexpr DISPID kLoadingKeepGoing = 1;
inline constexpr DISPID kLoadingWarnings = 2;
}  // namespace kelto::dispid

// A collection interface's three rows.
#define KELTO_PIPING_COLLECTION_MAP(I)                                                      \
  KELTO_DISPATCH_MAP(I, kelto::com::PropGet<&I::get_Count>("Count", kelto::dispid::kCount), \
                     kelto::com::PropGet<&I::get_Item>("Item", kelto::dispid::kItem),       \
                     kelto::com::PropGet<&I::get__NewEnum>("_NewEnum", kelto::dispid::kNewEnum))

KELTO_PIPING_COLLECTION_MAP(IKeltoPipelines);
KELTO_PIPING_COLLECTION_MAP(IKeltoComponents);
KELTO_PIPING_COLLECTION_MAP(IKeltoPoints);
KELTO_PIPING_COLLECTION_MAP(IKeltoLegs);
KELTO_PIPING_COLLECTION_MAP(IKeltoAttributes);
KELTO_PIPING_COLLECTION_MAP(IKeltoRoutes);
KELTO_PIPING_COLLECTION_MAP(IKeltoRoute);

// clang-format off
KELTO_DISPATCH_MAP(IKeltoFile,
    kelto::com::PropGet<&IKeltoFile::get_Pipelines>("Pipelines", kelto::dispid::kFilePipelines),
    kelto::com::Method<&IKeltoFile::Load>("Load", kelto::dispid::kFileLoad),
    kelto::com::PropGet<&IKeltoFile::get_Path>("Path", kelto::dispid::kFilePath));

KELTO_DISPATCH_MAP(IKeltoFileLoading,
    kelto::com::PropGet<&IKeltoFileLoading::get_KeepGoing>("KeepGoing", kelto::dispid::kLoadingKeepGoing),
    kelto::com::PropPut<&IKeltoFileLoading::put_KeepGoing>("KeepGoing", kelto::dispid::kLoadingKeepGoing),
    kelto::com::PropGet<&IKeltoFileLoading::get_Warnings>("Warnings", kelto::dispid::kLoadingWarnings));

// Routes' two flags may be left out (both default to 1, what the builders pass).
KELTO_DISPATCH_MAP(IKeltoPipeline,
    kelto::com::PropGet<&IKeltoPipeline::get_Name>("Name", kelto::dispid::kPipelineName),
    kelto::com::PropGet<&IKeltoPipeline::get_Components>("Components", kelto::dispid::kPipelineComponents),
    kelto::com::PropGet<&IKeltoPipeline::get_File>("File", kelto::dispid::kPipelineFile),
    kelto::com::Method<&IKeltoPipeline::Routes>("Routes", kelto::dispid::kPipelineRoutes, {1, 1}));

KELTO_DISPATCH_MAP(IKeltoComponent,
    kelto::com::PropGet<&IKeltoComponent::get_Id>("Id", kelto::dispid::kComponentId),
    kelto::com::PropGet<&IKeltoComponent::get_Pipeline>("Pipeline", kelto::dispid::kComponentPipeline),
    kelto::com::PropGet<&IKeltoComponent::get_Legs>("Legs", kelto::dispid::kComponentLegs),
    kelto::com::PropGet<&IKeltoComponent::get_Points>("Points", kelto::dispid::kComponentPoints),
    kelto::com::PropGet<&IKeltoComponent::get_Attributes>("Attributes", kelto::dispid::kComponentAttributes),
    kelto::com::PropGet<&IKeltoComponent::get_Details>("Details", kelto::dispid::kComponentDetails),
    kelto::com::PropGet<&IKeltoComponent::get_AttachmentCount>("AttachmentCount", kelto::dispid::kComponentAttachmentCount),
    kelto::com::PropGet<&IKeltoComponent::get_Attachment>("Attachment", kelto::dispid::kComponentAttachment));

KELTO_DISPATCH_MAP(IKeltoItem,
    kelto::com::PropGet<&IKeltoItem::get_TypeName>("TypeName", kelto::dispid::kItemTypeName),
    kelto::com::PropGet<&IKeltoItem::get_GroupName>("GroupName", kelto::dispid::kItemGroupName),
    kelto::com::PropGet<&IKeltoItem::get_ItemCode>("ItemCode", kelto::dispid::kItemItemCode),
    kelto::com::PropGet<&IKeltoItem::get_SymbolKey>("SymbolKey", kelto::dispid::kItemSymbolKey),
    kelto::com::PropGet<&IKeltoItem::get_ShapeCode>("ShapeCode", kelto::dispid::kItemShapeCode));

KELTO_DISPATCH_MAP(IKeltoPoint,
    kelto::com::PropGet<&IKeltoPoint::get_Name>("Name", kelto::dispid::kPointName),
    kelto::com::PropGet<&IKeltoPoint::get_Bore>("Bore", kelto::dispid::kPointBore),
    kelto::com::PropGet<&IKeltoPoint::get_BoreUnits>("BoreUnits", kelto::dispid::kPointBoreUnits),
    kelto::com::PropGet<&IKeltoPoint::get_EndType>("EndType", kelto::dispid::kPointEndType),
    kelto::com::PropGet<&IKeltoPoint::get_IsInternalPoint>("IsInternalPoint", kelto::dispid::kPointIsInternalPoint),
    kelto::com::Method<&IKeltoPoint::Position>("Position", kelto::dispid::kPointPosition).NoRetval(),
    kelto::com::PropGet<&IKeltoPoint::get_ConnectedPoint>("ConnectedPoint", kelto::dispid::kPointConnectedPoint),
    kelto::com::PropGet<&IKeltoPoint::get_OwnerComponent>("OwnerComponent", kelto::dispid::kPointOwnerComponent));

KELTO_DISPATCH_MAP(IKeltoLeg,
    kelto::com::PropGet<&IKeltoLeg::get_FromPoint>("FromPoint", kelto::dispid::kLegFromPoint),
    kelto::com::PropGet<&IKeltoLeg::get_ToPoint>("ToPoint", kelto::dispid::kLegToPoint),
    kelto::com::PropGet<&IKeltoLeg::get_HasDirection>("HasDirection", kelto::dispid::kLegHasDirection),
    kelto::com::Method<&IKeltoLeg::Direction>("Direction", kelto::dispid::kLegDirection).NoRetval(),
    kelto::com::PropGet<&IKeltoLeg::get_Length>("Length", kelto::dispid::kLegLength));

KELTO_DISPATCH_MAP(IKeltoAttribute,
    kelto::com::PropGet<&IKeltoAttribute::get_Name>("Name", kelto::dispid::kAttributeName),
    kelto::com::PropGet<&IKeltoAttribute::get_Value>("Value", kelto::dispid::kAttributeValue));

KELTO_DISPATCH_MAP(IKeltoRouteEntry,
    kelto::com::PropGet<&IKeltoRouteEntry::get_Value>("Value", kelto::dispid::kRouteEntryValue));

KELTO_DISPATCH_MAP(IKeltoPathWalker,
    kelto::com::Method<&IKeltoPathWalker::Start>("Start", kelto::dispid::kWalkerStart),
    kelto::com::Method<&IKeltoPathWalker::Next>("Next", kelto::dispid::kWalkerNext));

KELTO_DISPATCH_MAP(IKeltoSymbolCatalogue,
    kelto::com::Method<&IKeltoSymbolCatalogue::DescribeType>("DescribeType", kelto::dispid::kCatalogueDescribeType).NoRetval(),
    kelto::com::Method<&IKeltoSymbolCatalogue::CountKeyTypes>("CountKeyTypes", kelto::dispid::kCatalogueCountKeyTypes),
    kelto::com::Method<&IKeltoSymbolCatalogue::KeyTypeAt>("KeyTypeAt", kelto::dispid::kCatalogueKeyTypeAt));
// clang-format on
