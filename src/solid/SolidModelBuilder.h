// CSolidModelBuilder: builds and refreshes the solid model of a piping file:
// a root node for the file, a child per pipeline, a grandchild per component.
// Component nodes get the primitives of CKelto3ComponentGeometryBuilder;
// pipeline nodes get a start marker when the option "PipelineMarkers" is on.
//
// The builder is the tree's synchroniser (docs/model-tree.md): every pipeline
// and component node it reaches is redrawn on each synchronisation, so a new
// colour scheme, option or configuration shows at the next SyncModel or
// SyncBelow; the file node keeps its (empty) geometry. Nodes of objects that
// are still in the data are reused with whatever is attached to them.
//
// Failures: a failing or null file, pipeline or collection raises _com_error
// and ends the synchronisation (what was refreshed stays refreshed). One
// component that cannot be drawn does not: its node is left empty, the
// failure is reported to the observer, and the walk goes on. The pipeline
// marker is decoration: when its search fails the pipeline has no marker.
//
// Options (in Options()): "PipelineMarkers" (bool, default false) and
// "MarkerColour" (long, default 0xFFFFFF, white).
#pragma once

#include <string>
#include <string_view>

#include "core/WrappedClass.h"
#include "solid/ComponentGeometryBuilder.h"
#include "solid/ExternalDimensionInfo.h"
#include "solid/ModelBuilder.h"

class CSolidModelBuilder : public IFModelBuilder,
                           public CModelNode::IFSynchronizer,
                           public CWrappedClass {
 public:
  // Told about every component the builder draws (for reports and tests).
  class IFObserver {
   public:
    virtual void OnComponentBuilt(IKeltoComponent* component, const CBuildOutcome& outcome) = 0;

   protected:
    ~IFObserver() = default;
  };

  CSolidModelBuilder();
  CSolidModelBuilder(const CSolidModelBuilder&) = delete;
  CSolidModelBuilder& operator=(const CSolidModelBuilder&) = delete;
  ~CSolidModelBuilder() override = default;

  NodePtr BuildModel(IKeltoFile* file) override;
  void SyncBelow(CModelNode& model, IUnknown* item) override;
  void SyncModel(CModelNode& model) override;
  void SetExternalDimensionConfig(const std::string& configXml, std::string& errors) override;
  SchemePtr GetColourScheme() override { return m_geometryBuilder.GetColourScheme(); }
  void SetColourScheme(SchemePtr scheme) override {
    m_geometryBuilder.SetColourScheme(std::move(scheme));
  }
  COptions& Options() override { return m_options; }

  // The type-table configuration (the scripting face's SetCGBConfig).
  void SetTypeTableConfig(std::string_view configXml) { m_geometryBuilder.SetConfig(configXml); }
  CKelto3ComponentGeometryBuilder& GeometryBuilder() { return m_geometryBuilder; }
  CExternalDimensionInfo& ExternalDimensions() { return m_dimensions; }

  // Null for none. The observer must outlive its registration.
  void SetObserver(IFObserver* observer) { m_observer = observer; }

  bool PipelineMarkers() const { return m_pipelineMarkers; }
  long MarkerColour() const { return m_markerColour; }

  // CModelNode::IFSynchronizer
  void SyncGeometry(CModelNode* node, CGeometrySet& geometry, bool& upToDate) override;
  void SyncChildren(CModelNode::KeyList& children, CModelNode* node, bool& upToDate) override;

 private:
  void BuildComponent(IKeltoComponent* component, CGeometrySet& geometry);

  CKelto3ComponentGeometryBuilder m_geometryBuilder;
  CExternalDimensionInfo m_dimensions;
  bool m_pipelineMarkers = false;
  long m_markerColour = 0xFFFFFF;
  COptions m_options;
  IFObserver* m_observer = nullptr;
};
