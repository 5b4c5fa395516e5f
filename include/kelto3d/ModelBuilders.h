// The model builders' scripting interfaces, as a host compiles against them.
//
//   SolidModelBuilder  CLSID DF430037-4234-4DC5-9ADF-E6176DAA13B4
//                      ("Oxbay3Support.SolidModelBuilder")
//   SymbolicModelBuilder CLSID CD06A39D-6A54-4AA3-A87A-159D8C818488
//                      ("Kelto3D.SymbolicModelBuilder")
//
// A model builder turns a loaded piping file (the piping-data module's
// KeltoFile object) into a model tree: a root ModelNode for the file, a child
// for each pipeline and a grandchild for each component, and refreshes such a
// tree when the data, the colour scheme, the options or the configuration
// change. IModelBuilder holds what every builder offers; ISolidModelBuilder
// adds the solid builder's type-table configuration. docs/scripting.md
// describes the members and their failures.
//
// SolidModelBuilder also implements IConnectionPointContainer with the event
// interface _ISolidModelBuilderEvents (which has no events) and
// ISupportErrorInfo; SymbolicModelBuilder likewise, with
// _ISymbolicModelBuilderEvents. ISymbolicModelBuilder adds the symbol library
// files.
#pragma once

#include "kelto/Piping.h"
#include "kelto3d/ColourSchemes.h"
#include "kelto3d/ModelTree.h"
#include "kelto3d/Options.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"

namespace kelto3d {

inline constexpr CLSID kClsidSolidModelBuilder =
    kelto::com::MakeGuid("DF430037-4234-4DC5-9ADF-E6176DAA13B4");

// Dispatch ids. A derived builder interface numbers its own members from 5
// and leaves 7 to SetExternalDimensionConfig.
inline constexpr DISPID kDispidModelBuilderBuildModel = 2;
inline constexpr DISPID kDispidModelBuilderSyncBelow = 3;
inline constexpr DISPID kDispidModelBuilderSyncModel = 4;
inline constexpr DISPID kDispidModelBuilderSetExternalDimensionConfig = 7;
inline constexpr DISPID kDispidModelBuilderColourScheme = 0x65;
inline constexpr DISPID kDispidModelBuilderOptions = 0x66;
inline constexpr DISPID kDispidSolidModelBuilderSetCGBConfig = 5;

inline constexpr CLSID kClsidSymbolicModelBuilder =
    kelto::com::MakeGuid("CD06A39D-6A54-4AA3-A87A-159D8C818488");
inline constexpr DISPID kDispidSymbolicModelBuilderAddSkeldaSymbols = 5;
inline constexpr DISPID kDispidSymbolicModelBuilderRemoveSkeldaSymbols = 6;

struct IModelBuilder : IDispatch {
  // A new model of KeltoFile: its root ModelNode owns the tree, which lives
  // as long as the caller holds that object. A null file fails with
  // E_POINTER; a failing piping object fails with its own HRESULT and error
  // information, and no model is returned.
  virtual HRESULT BuildModel(IKeltoFile* KeltoFile, IModelNode** Model) = 0;
  // Refreshes the node of Model's subtree (Model included) whose object is
  // Item; an Item that is not in the tree (or null) changes nothing. Model
  // must be a ModelNode of this module (E_INVALIDARG otherwise). A failing
  // piping object ends the refresh with its failure; what was refreshed
  // stays refreshed.
  virtual HRESULT SyncBelow(IModelNode* Model, IDispatch* Item) = 0;
  // Refreshes the whole tree under Model, with the failures of SyncBelow.
  virtual HRESULT SyncModel(IModelNode* Model) = 0;
  // Adds the external dimension rules of ConfigXML. Rule problems are not
  // failures: *Errors receives each message followed by "\n" (an empty
  // string when there are none) and the valid rules stay.
  virtual HRESULT SetExternalDimensionConfig(BSTR ConfigXML, BSTR* Errors) = 0;
  // The scheme that colours the components (a GroupColScheme until the host
  // sets another). The object set is the object got back; a null scheme
  // colours everything white.
  virtual HRESULT get_ColourScheme(IColourScheme** pVal) = 0;
  virtual HRESULT putref_ColourScheme(IColourScheme* newVal) = 0;
  // The builder's own settings as an Options object; changes show at the
  // next SyncModel or SyncBelow.
  virtual HRESULT get_Options(IOptions** pVal) = 0;
};

// The event interface of SolidModelBuilder. It has no events; hosts may still
// connect to it.
struct _ISolidModelBuilderEvents : IDispatch {};

struct ISolidModelBuilder : IModelBuilder {
  // Replaces the table from component type to construction function with the
  // one ConfigXML describes (docs/solid-model.md). Problems are shown in a
  // message box titled "XML Error", not returned; the call succeeds.
  virtual HRESULT SetCGBConfig(BSTR ConfigXML) = 0;
};

// The event interface of SymbolicModelBuilder; like the solid builder's, it
// has no events.
struct _ISymbolicModelBuilderEvents : IDispatch {};

// The symbolic (line-art) builder. Components are drawn with the built-in
// single-line symbols, or with symbols of the library files added here
// (docs/symbol-format.md), which are tried first. Adding or removing a file
// does not refresh any model: call SyncModel afterwards.
struct ISymbolicModelBuilder : IModelBuilder {
  // Reads the symbol file FileName (a path, passed to the file system as
  // UTF-8) and searches it ahead of the files added before. A file that
  // cannot be read fails with error information naming it and is not added.
  virtual HRESULT AddSkeldaSymbols(BSTR FileName) = 0;
  // Stops using the file added under exactly that name; a name that was
  // never added changes nothing.
  virtual HRESULT RemoveSkeldaSymbols(BSTR FileName) = 0;
};

}  // namespace kelto3d

KELTO_INTERFACE_IID(kelto3d::IModelBuilder, IDispatch, "A0A6A300-C74A-4539-859E-23AB6C3B3367");
KELTO_INTERFACE_IID(kelto3d::ISolidModelBuilder, kelto3d::IModelBuilder,
                    "5513750C-6389-4260-9AE6-9BEC9E22C366");
KELTO_INTERFACE_IID(kelto3d::_ISolidModelBuilderEvents, IDispatch,
                    "D6AD43BD-0D38-4803-91EE-42BF906C2BB9");
KELTO_INTERFACE_IID(kelto3d::ISymbolicModelBuilder, kelto3d::IModelBuilder,
                    "35A255B8-1464-4BF7-BE49-9703A8C548C3");
KELTO_INTERFACE_IID(kelto3d::_ISymbolicModelBuilderEvents, IDispatch,
                    "704F2D7F-EEAE-41D8-BD74-04076C70ABC4");

// One row per line reads like the interface definition; keep it that way.
// clang-format off
KELTO_DISPATCH_MAP(kelto3d::IModelBuilder,
    kelto::com::Method<&kelto3d::IModelBuilder::BuildModel>("BuildModel", kelto3d::kDispidModelBuilderBuildModel).Names("KeltoFile"),
    kelto::com::Method<&kelto3d::IModelBuilder::SyncBelow>("SyncBelow", kelto3d::kDispidModelBuilderSyncBelow).Names("Model, Item"),
    kelto::com::Method<&kelto3d::IModelBuilder::SyncModel>("SyncModel", kelto3d::kDispidModelBuilderSyncModel).Names("Model"),
    kelto::com::Method<&kelto3d::IModelBuilder::SetExternalDimensionConfig>("SetExternalDimensionConfig", kelto3d::kDispidModelBuilderSetExternalDimensionConfig).NoRetval().Names("ConfigXML, Errors"),
    kelto::com::PropGet<&kelto3d::IModelBuilder::get_ColourScheme>("ColourScheme", kelto3d::kDispidModelBuilderColourScheme),
    kelto::com::PropPutRef<&kelto3d::IModelBuilder::putref_ColourScheme>("ColourScheme", kelto3d::kDispidModelBuilderColourScheme),
    kelto::com::PropGet<&kelto3d::IModelBuilder::get_Options>("Options", kelto3d::kDispidModelBuilderOptions));
KELTO_DISPATCH_MAP_INHERIT(kelto3d::ISolidModelBuilder, kelto3d::IModelBuilder,
    kelto::com::Method<&kelto3d::ISolidModelBuilder::SetCGBConfig>("SetCGBConfig", kelto3d::kDispidSolidModelBuilderSetCGBConfig).Names("ConfigXML"));
KELTO_DISPATCH_MAP_INHERIT(kelto3d::ISymbolicModelBuilder, kelto3d::IModelBuilder,
    kelto::com::Method<&kelto3d::ISymbolicModelBuilder::AddSkeldaSymbols>("AddSkeldaSymbols", kelto3d::kDispidSymbolicModelBuilderAddSkeldaSymbols).Names("FileName"),
    kelto::com::Method<&kelto3d::ISymbolicModelBuilder::RemoveSkeldaSymbols>("RemoveSkeldaSymbols", kelto3d::kDispidSymbolicModelBuilderRemoveSkeldaSymbols).Names("FileName"));
// clang-format on
