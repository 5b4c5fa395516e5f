#include "symbolic/SymbolicModelBuilder.h"

#include <exception>
#include <initializer_list>
#include <new>
#include <utility>

#include "solid/ComponentInfo.h"
#include "solid/DefaultColourScheme.h"
#include "solid/PipingAccess.h"
#include "symbolic/ConcentricReducerCSSGB.h"
#include "symbolic/DefaultCSSGB.h"
#include "symbolic/EccentricReducerCSSGB.h"
#include "symbolic/InlineFitOrMiscCSSGB.h"
#include "symbolic/InlineInstrCSSGB.h"
#include "symbolic/SupportCSSGB.h"
#include "symbolic/SymbolicGraphicsBuilder.h"
#include "symbolic/SymbolicPipelineMarker.h"
#include "symbolic/ValveCSSGB.h"
#include "symbolic/WeldCSSGB.h"

using kelto::com::ComPtr;
using kelto::solid::FileOf;
using kelto::solid::PipelineOf;
using kelto::solid::Require;

namespace {

// Fresh builder objects, one per key: builders hold no state today, but a key
// that later gets a configurable builder must not change its neighbours.
template <class Builder>
CComponentSSGBuilder::Ptr Make() {
  return CComponentSSGBuilder::Ptr(new Builder());
}

template <class Builder, class Filter>
void AddKeys(Filter& filter, std::initializer_list<const char*> keys) {
  for (const char* key : keys) filter.AddBuilder(key, Make<Builder>());
}

}  // namespace

CSymbolicModelBuilder::CSymbolicModelBuilder()
    : m_symbols(new CSkeldaSymbolFilter()), m_scheme(kelto::solid::MakeDefaultColourScheme()) {
  using Library = CCSSGBLibrary;
  m_library.AddFilter("Default",
                      Library::IFFilter::Ptr(new Library::DefaultFilter(Make<CDefaultCSSGB>())));

  // The keyed filters are filled through their own type and handed over as
  // plain filters; the library's pointer owns them from the start.
  auto* group = new Library::GroupFilter();
  const Library::IFFilter::Ptr groupFilter(group);
  AddKeys<CValveCSSGB>(*group, {"Valves"});
  AddKeys<CWeldCSSGB>(*group, {"Welds"});
  AddKeys<CInlineInstrCSSGB>(*group, {"Instruments"});
  AddKeys<CInlineFitOrMiscCSSGB>(*group, {"Fittings", "Miscellaneous"});
  AddKeys<CSupportCSSGB>(*group, {"Supports"});
  m_library.AddFilter("Group", groupFilter);

  auto* type = new Library::ComponentTypeFilter();
  const Library::IFFilter::Ptr typeFilter(type);
  AddKeys<CValveCSSGB>(
      *type, {"Control-Valve", "Control-Valve-Angle", "Control-Valve-3Way", "Control-Valve-4Way"});
  AddKeys<CEccentricReducerCSSGB>(*type, {"Eccentric-Reducer", "Teed-Eccentric-Reducer"});
  AddKeys<CConcentricReducerCSSGB>(*type, {"Concentric-Reducer", "Teed-Concentric-Reducer"});
  AddKeys<CDefaultCSSGB>(*type, {"Set-On-Tee", "Set-On-Cross"});
  m_library.AddFilter("Component Type", typeFilter);

  // The symbol library is this builder's symbols field and the library's
  // last filter at once (one object, one count), so files added here are
  // consulted first.
  m_library.AddFilter("Skelda Symbols", m_symbols);
}

void CSymbolicModelBuilder::AddSkeldaSymbols(const std::string& fileName) {
  m_symbols->AddFile(fileName);
}

void CSymbolicModelBuilder::RemoveSkeldaSymbols(const std::string& fileName) {
  m_symbols->RemoveFile(fileName);
}

void CSymbolicModelBuilder::DrawPipelineMarker(IKeltoPipeline* pipeline, CGeometrySet& geometry,
                                               std::int32_t colour) {
  kelto::symbolic::DrawSymbolicPipelineMarker(pipeline, geometry, colour);
}

void CSymbolicModelBuilder::BuildComponent(IKeltoComponent* component, CGeometrySet& geometry) {
  bool drawn = false;
  std::string error;
  // Tags cached from the previous component may belong to data that has
  // since been reloaded.
  ExternalDimensions().ClearCache();
  try {
    const ComPtr<IKeltoPipeline> pipeline = PipelineOf(component);
    Require(pipeline);
    const ComPtr<IKeltoFile> file = FileOf(pipeline.Get());
    Require(file);
    CComponentInfo info(file.Get(), pipeline.Get(), component, &ExternalDimensions());
    const std::int32_t colour = m_scheme ? m_scheme->GetColour(component) : 0xFFFFFF;
    CSymbolicGraphicsBuilder gb(&geometry, colour);
    drawn = m_library.Build(info, gb);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    // A builder may have drawn part of the component before failing; a half
    // symbol would read as a different component, so the node stays empty.
    geometry.Clear();
    error = e.what();
    if (error.empty()) error = "Unknown error.";
  } catch (...) {
    // The library's own exceptions (a symbol whose space is degenerate)
    // carry no message.
    geometry.Clear();
    error = "The component could not be drawn.";
  }
  if (m_observer) m_observer->OnComponentBuilt(component, drawn, error);
}
