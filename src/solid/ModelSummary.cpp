#include "solid/ModelSummary.h"

#include <array>
#include <ostream>

#include "core/NumberText.h"
#include "core/PrintableText.h"
#include "platform/com/Strings.h"
#include "solid/ModelDump.h"
#include "solid/PipingAccess.h"

using namespace kelto::solid;

namespace {

void CountPrimitives(const CModelNode& node, std::array<std::size_t, 6>& kinds) {
  for (const CPrimitive& primitive : node.GetGeometry()) {
    const auto kind = static_cast<std::size_t>(primitive.GetType());
    if (kind < kinds.size()) ++kinds[kind];
  }
  for (const auto& [key, child] : node.GetChildren()) CountPrimitives(*child, kinds);
}

void WriteNote(std::ostream& out, const CModelSummary::Note& note, const std::string& why) {
  out << "  " << (note.component.empty() ? "(no id)" : PrintableText(note.component)) << " ("
      << PrintableText(note.type) << "): " << PrintableText(why) << '\n';
}

}  // namespace

void CModelSummary::OnComponentBuilt(IKeltoComponent* component, const CBuildOutcome& outcome) {
  ++m_components;
  Note note{IdOf(component), "", outcome};
  std::string group;
  try {
    if (const ComPtr<IKeltoItem> details = DetailsOf(component)) {
      note.type = kelto::com::BstrToUtf8(TypeNameOf(details.Get()).GetBSTR());
      group = kelto::com::BstrToUtf8(GroupNameOf(details.Get()).GetBSTR());
    }
  } catch (const std::exception&) {
    // Reported below as a failure of the component, if it was one.
  }
  ++m_types[note.type][outcome.function.empty() ? "(not drawn)" : outcome.function];
  ++m_groups[group];
  if (!outcome.error.empty()) {
    m_failures.push_back(note);
  } else if (!outcome.requested.empty() && outcome.function != outcome.requested) {
    m_fallbacks.push_back(note);
  }
}

void CModelSummary::Write(std::ostream& out, const CModelNode& root) const {
  out << NodeLabel(root.GetObject()) << '\n';
  out << "Pipelines: " << root.GetChildren().size() << '\n';
  // Pipelines by label, so the listing does not depend on addresses.
  std::map<std::string, std::size_t> pipelines;
  for (const auto& [key, child] : root.GetChildren()) {
    std::string name = NodeLabel(child->GetObject());
    if (name.rfind("pipeline ", 0) == 0) name.erase(0, 9);
    pipelines[name] += child->GetChildren().size();
  }
  for (const auto& [name, count] : pipelines)
    out << "  " << name << ": " << count << (count == 1 ? " component\n" : " components\n");

  out << "Components: " << m_components << '\n';
  out << "  by type (drawn by):\n";
  for (const auto& [type, functions] : m_types) {
    std::size_t total = 0;
    std::string how;
    for (const auto& [function, count] : functions) {
      total += count;
      if (!how.empty()) how += ", ";
      how += function + " " + std::to_string(count);
    }
    out << "    " << PrintableText(type) << ": " << total << " (" << PrintableText(how) << ")\n";
  }
  out << "  by group:\n";
  for (const auto& [group, count] : m_groups)
    out << "    " << (group.empty() ? "(none)" : PrintableText(group)) << ": " << count << '\n';

  std::array<std::size_t, 6> kinds{};
  CountPrimitives(root, kinds);
  std::size_t primitives = 0;
  for (std::size_t k = 1; k < kinds.size(); ++k) primitives += kinds[k];
  out << "Primitives: " << primitives << " (lines " << kinds[1] << ", cones " << kinds[2]
      << ", curved cones " << kinds[3] << ", snouts " << kinds[4] << ", circles " << kinds[5]
      << ")\n";

  const CBoundBox& box = root.GetBoundBox();
  out << "Bounding box: ";
  if (box.IsEmpty()) {
    out << "empty\n";
  } else {
    WriteTriple(out, box.GetMin());
    out << " - ";
    WriteTriple(out, box.GetMax());
    out << '\n';
  }

  out << "Drawn by DrawLegs instead of their function: " << m_fallbacks.size() << '\n';
  for (const Note& note : m_fallbacks)
    WriteNote(out, note, note.outcome.requested + ": " + note.outcome.reason);
  out << "Not drawn: " << m_failures.size() << '\n';
  for (const Note& note : m_failures) WriteNote(out, note, note.outcome.error);
}
