// CSymbolicModelBuilder: builds and refreshes the symbolic (line-art) model
// of a piping file: a root node for the file, a child per pipeline, a
// grandchild per component. Component nodes get the lines its builder library
// draws; pipeline nodes get a start marker (a flag on a mast) when the option
// "PipelineMarkers" is on.
//
// The library is made here, in this order (so consulted in reverse):
//   "Default"        every component → the default builder;
//   "Group"          Valves → valve, Welds → weld, Instruments → in-line
//                    instrument, Fittings and Miscellaneous → in-line fitting,
//                    Supports → support;
//   "Component Type" control valves (2-, angle, 3- and 4-way) → valve,
//                    (teed) eccentric and concentric reducers → their own,
//                    set-on tees and crosses → default;
//   "Skelda Symbols" the symbol library files added with AddSkeldaSymbols.
// Every key gets a builder object of its own. The first candidate whose Build
// answers true draws the component; when none does, the node stays empty.
//
// The tree, its synchronisation and the options ("PipelineMarkers",
// "MarkerColour") come from CPipingModelBuilder (docs/model-tree.md): every
// pipeline and component node reached is redrawn, so a new colour scheme,
// option, configuration or symbol file shows at the next SyncModel or
// SyncBelow.
//
// Failures: one component that cannot be drawn (its pipeline, a builder, a
// symbol or the colour scheme fails) does not: its node is left empty, the
// observer is told, and the walk goes on — one bad component must not cost
// the plant its model. A pipeline whose marker cannot be found has none.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "core/CountedPtr.h"
#include "solid/PipingModelBuilder.h"
#include "symbolic/CSSGBLibrary.h"
#include "symbolic/SkeldaSymbolFilter.h"

class CSymbolicModelBuilder : public CPipingModelBuilder {
 public:
  using SymbolsPtr = CSkeldaSymbolFilter::Ptr;

  // Told about every component the builder tries to draw (for reports, the
  // command line and tests). error is empty unless drawing failed.
  class IFObserver {
   public:
    virtual void OnComponentBuilt(IKeltoComponent* component, bool drawn,
                                  const std::string& error) = 0;

   protected:
    ~IFObserver() = default;
  };

  CSymbolicModelBuilder();
  CSymbolicModelBuilder(const CSymbolicModelBuilder&) = delete;
  CSymbolicModelBuilder& operator=(const CSymbolicModelBuilder&) = delete;
  ~CSymbolicModelBuilder() override = default;

  SchemePtr GetColourScheme() override { return m_scheme; }
  // Used from the next synchronisation on; null colours everything white.
  void SetColourScheme(SchemePtr scheme) override { m_scheme = std::move(scheme); }

  // Reads a symbol library file and searches it ahead of those added before;
  // throws (naming the file) when it cannot be read, and then adds nothing.
  // No model is refreshed: call SyncModel afterwards.
  void AddSkeldaSymbols(const std::string& fileName);
  // Stops using the file added under exactly that name; nothing otherwise.
  void RemoveSkeldaSymbols(const std::string& fileName);

  CCSSGBLibrary& Library() { return m_library; }
  const SymbolsPtr& Symbols() const { return m_symbols; }

  // Null for none. The observer must outlive its registration.
  void SetObserver(IFObserver* observer) { m_observer = observer; }

 protected:
  void BuildComponent(IKeltoComponent* component, CGeometrySet& geometry) override;
  void DrawPipelineMarker(IKeltoPipeline* pipeline, CGeometrySet& geometry,
                          std::int32_t colour) override;

 private:
  CCSSGBLibrary m_library;
  SymbolsPtr m_symbols;
  SchemePtr m_scheme;
  IFObserver* m_observer = nullptr;
};
