// CModelSummary: what `kelto3d info` tells a person about a solid model: the
// pipelines, the components by type (with the functions that drew them) and
// by group, the primitives by kind, the bounding box, and every component
// that fell back to "DrawLegs" or could not be drawn, with the reason.
//
//   CModelSummary summary;
//   builder.SetObserver(&summary);
//   auto root = builder.BuildModel(file);
//   summary.Write(std::cout, *root);
#pragma once

#include <cstddef>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "core/ModelNode.h"
#include "solid/SolidModelBuilder.h"

class CModelSummary : public CSolidModelBuilder::IFObserver {
 public:
  struct Note {
    std::string component;  // id
    std::string type;
    CBuildOutcome outcome;
  };

  void OnComponentBuilt(IKeltoComponent* component, const CBuildOutcome& outcome) override;

  // Components that fell back to "DrawLegs" although their type names a
  // function, and components that could not be drawn at all.
  const std::vector<Note>& Fallbacks() const { return m_fallbacks; }
  const std::vector<Note>& Failures() const { return m_failures; }
  // Type → (function that drew it → count).
  const std::map<std::string, std::map<std::string, std::size_t>>& Types() const { return m_types; }

  void Write(std::ostream& out, const CModelNode& root) const;

 private:
  std::map<std::string, std::map<std::string, std::size_t>> m_types;
  std::map<std::string, std::size_t> m_groups;
  std::vector<Note> m_fallbacks;
  std::vector<Note> m_failures;
  std::size_t m_components = 0;
};
