// CSolidModelBuilder: builds and refreshes the solid model of a piping file:
// a root node for the file, a child per pipeline, a grandchild per component.
// Component nodes get the primitives of CKelto3ComponentGeometryBuilder;
// pipeline nodes get a start marker when the option "PipelineMarkers" is on.
//
// The tree, its synchronisation and the options come from
// CPipingModelBuilder (docs/model-tree.md): every pipeline and component
// node is redrawn on each synchronisation; nodes of objects that are still
// in the data are reused with whatever is attached to them.
//
// Failures: one component that cannot be drawn does not end the walk: its
// node is left empty, the failure is reported to the observer, and the walk
// goes on. The pipeline marker is decoration: when its search fails the
// pipeline has no marker.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "solid/ComponentGeometryBuilder.h"
#include "solid/PipingModelBuilder.h"

class CSolidModelBuilder : public CPipingModelBuilder {
 public:
  // Told about every component the builder draws (for reports and tests).
  class IFObserver {
   public:
    virtual void OnComponentBuilt(IKeltoComponent* component, const CBuildOutcome& outcome) = 0;

   protected:
    ~IFObserver() = default;
  };

  CSolidModelBuilder() = default;
  CSolidModelBuilder(const CSolidModelBuilder&) = delete;
  CSolidModelBuilder& operator=(const CSolidModelBuilder&) = delete;
  ~CSolidModelBuilder() override = default;

  SchemePtr GetColourScheme() override { return m_geometryBuilder.GetColourScheme(); }
  void SetColourScheme(SchemePtr scheme) override {
    m_geometryBuilder.SetColourScheme(std::move(scheme));
  }

  // The type-table configuration (the scripting face's SetCGBConfig).
  void SetTypeTableConfig(std::string_view configXml) { m_geometryBuilder.SetConfig(configXml); }
  CKelto3ComponentGeometryBuilder& GeometryBuilder() { return m_geometryBuilder; }

  // Null for none. The observer must outlive its registration.
  void SetObserver(IFObserver* observer) { m_observer = observer; }

 protected:
  void BuildComponent(IKeltoComponent* component, CGeometrySet& geometry) override;
  void DrawPipelineMarker(IKeltoPipeline* pipeline, CGeometrySet& geometry,
                          std::int32_t colour) override;

 private:
  CKelto3ComponentGeometryBuilder m_geometryBuilder;
  IFObserver* m_observer = nullptr;
};
