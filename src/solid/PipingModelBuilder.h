// CPipingModelBuilder: what every model builder of a piping file shares: the
// tree's shape (a root node for the file, a child per pipeline, a grandchild
// per component), its synchronisation, the external dimension configuration
// and the options "PipelineMarkers" (bool, default false) and "MarkerColour"
// (long, default 0xFFFFFF, white), registered in that order.
//
// A derived builder says how one component is drawn (BuildComponent) and how
// a pipeline's start marker is drawn (DrawPipelineMarker); this class decides
// when. Every pipeline and component node reached is redrawn on each
// synchronisation (docs/model-tree.md), so a new colour scheme, option or
// configuration shows at the next SyncModel or SyncBelow; the file node keeps
// its (empty) geometry. Nodes of objects still in the data are reused.
//
// Failures: a failing or null file, pipeline, collection or item raises
// _com_error and ends the synchronisation (what was refreshed stays
// refreshed). BuildComponent is expected to keep one bad component from
// ending the walk. The marker is decoration: when DrawPipelineMarker throws
// anything but std::bad_alloc, the pipeline is left without one.
#pragma once

#include <cstdint>
#include <string>

#include "core/WrappedClass.h"
#include "solid/ExternalDimensionInfo.h"
#include "solid/ModelBuilder.h"

class CPipingModelBuilder : public IFModelBuilder,
                            public CModelNode::IFSynchronizer,
                            public CWrappedClass {
 public:
  CPipingModelBuilder(const CPipingModelBuilder&) = delete;
  CPipingModelBuilder& operator=(const CPipingModelBuilder&) = delete;
  ~CPipingModelBuilder() override = default;

  NodePtr BuildModel(IKeltoFile* file) override;
  void SyncBelow(CModelNode& model, IUnknown* item) override;
  void SyncModel(CModelNode& model) override;
  void SetExternalDimensionConfig(const std::string& configXml, std::string& errors) override;
  COptions& Options() override { return m_options; }

  CExternalDimensionInfo& ExternalDimensions() { return m_dimensions; }
  bool PipelineMarkers() const { return m_pipelineMarkers; }
  long MarkerColour() const { return m_markerColour; }

  // CModelNode::IFSynchronizer
  void SyncGeometry(CModelNode* node, CGeometrySet& geometry, bool& upToDate) override;
  void SyncChildren(CModelNode::KeyList& children, CModelNode* node, bool& upToDate) override;

 protected:
  CPipingModelBuilder();

  // Draws the component into geometry.
  virtual void BuildComponent(IKeltoComponent* component, CGeometrySet& geometry) = 0;
  // Draws the pipeline's start marker in colour; called only while
  // "PipelineMarkers" is on.
  virtual void DrawPipelineMarker(IKeltoPipeline* pipeline, CGeometrySet& geometry,
                                  std::int32_t colour) = 0;

 private:
  CExternalDimensionInfo m_dimensions;
  bool m_pipelineMarkers = false;
  long m_markerColour = 0xFFFFFF;
  COptions m_options;
};
