#include "solid/SolidModelBuilder.h"

#include <exception>
#include <new>

#include "solid/ComponentInfo.h"
#include "solid/PipelineMarker.h"
#include "solid/PipingAccess.h"

using kelto::com::ComPtr;
using namespace kelto::solid;

void CSolidModelBuilder::DrawPipelineMarker(IKeltoPipeline* pipeline, CGeometrySet& geometry,
                                            std::int32_t colour) {
  kelto::solid::DrawPipelineMarker(FindPipelineStart(pipeline), geometry, colour);
}

void CSolidModelBuilder::BuildComponent(IKeltoComponent* component, CGeometrySet& geometry) {
  CBuildOutcome outcome;
  // Tags cached from the previous component may belong to data that has
  // since been reloaded.
  ExternalDimensions().ClearCache();
  try {
    const ComPtr<IKeltoPipeline> pipeline = PipelineOf(component);
    const ComPtr<IKeltoFile> file = pipeline ? FileOf(pipeline.Get()) : ComPtr<IKeltoFile>();
    CComponentInfo info(file.Get(), pipeline.Get(), component, &ExternalDimensions());
    outcome = m_geometryBuilder.Build(info, geometry);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    // One component that cannot be read must not cost the rest of the plant
    // its model: this node stays empty, the failure is reported, and the
    // synchronisation goes on.
    geometry.Clear();
    outcome.function.clear();
    outcome.error = e.what();
  }
  if (m_observer) m_observer->OnComponentBuilt(component, outcome);
}
