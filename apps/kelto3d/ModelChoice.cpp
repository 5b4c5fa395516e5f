#include "ModelChoice.h"

#include <algorithm>
#include <cctype>
#include <exception>

#include "core/PrintableText.h"
#include "ModelArgs.h"
#include "symbolic/SymbolicModelBuilder.h"

namespace kelto::cli {

std::optional<Representation> ParseRepresentation(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "solid") return Representation::Solid;
  if (lower == "symbolic") return Representation::Symbolic;
  return std::nullopt;
}

std::optional<std::string> ModelChoiceProblem(const ModelChoice& choice) {
  if (choice.representation == Representation::Symbolic && choice.typeTable)
    return "--type-table configures the solid model; it does nothing with "
           "--representation symbolic";
  if (choice.representation == Representation::Solid && !choice.symbols.empty())
    return "--symbols needs --representation symbolic (symbol files draw line-art)";
  return std::nullopt;
}

// Passes the symbolic builder's reports on in the solid builder's terms, so
// that summaries and progress counters serve both.
class CChosenBuilder::SymbolicRelay : public CSymbolicModelBuilder::IFObserver {
 public:
  explicit SymbolicRelay(CSolidModelBuilder::IFObserver* target) : m_target(target) {}
  void OnComponentBuilt(IKeltoComponent* component, bool drawn,
                        const std::string& error) override {
    CBuildOutcome outcome;
    outcome.requested = "symbolic";
    if (drawn) outcome.function = "symbolic";
    outcome.error = drawn ? std::string() : (error.empty() ? "no builder drew it" : error);
    m_target->OnComponentBuilt(component, outcome);
  }

 private:
  CSolidModelBuilder::IFObserver* m_target;
};

CChosenBuilder::CChosenBuilder(IFModelBuilder& builder, Representation representation)
    : m_builder(&builder), m_representation(representation) {}
CChosenBuilder::CChosenBuilder(CChosenBuilder&&) noexcept = default;
CChosenBuilder& CChosenBuilder::operator=(CChosenBuilder&&) noexcept = default;
CChosenBuilder::~CChosenBuilder() = default;

void CChosenBuilder::SetObserver(CSolidModelBuilder::IFObserver* observer) {
  if (m_representation == Representation::Solid) {
    static_cast<CSolidModelBuilder&>(*m_builder).SetObserver(observer);
    return;
  }
  auto& symbolic = static_cast<CSymbolicModelBuilder&>(*m_builder);
  // The relay must outlive its registration: unregister before replacing it.
  symbolic.SetObserver(nullptr);
  m_relay = observer ? std::make_unique<SymbolicRelay>(observer) : nullptr;
  symbolic.SetObserver(m_relay.get());
}

std::optional<CChosenBuilder> ConfigureModelBuilder(const ModelChoice& choice,
                                                    CSolidModelBuilder& solid,
                                                    CSymbolicModelBuilder& symbolic,
                                                    const char* command, std::ostream& err) {
  if (const auto problem = ModelChoiceProblem(choice)) {
    err << "kelto3d " << command << ": " << *problem << '\n';
    return std::nullopt;
  }
  if (choice.representation == Representation::Solid) {
    if (!ConfigureSolidBuilder(choice, solid, command, err)) return std::nullopt;
    return CChosenBuilder(solid, Representation::Solid);
  }
  if (!ConfigureExternalDimensions(choice, symbolic, command, err)) return std::nullopt;
  for (const std::string& path : choice.symbols) {
    try {
      symbolic.AddSkeldaSymbols(path);
    } catch (const std::exception& e) {
      // The reader's message names the file (and the line, for a bad record).
      err << "kelto3d " << command << ": " << PrintableText(e.what()) << '\n';
      return std::nullopt;
    }
  }
  return CChosenBuilder(symbolic, Representation::Symbolic);
}

std::optional<CChosenBuilder> MakeModelBuilder(const ModelChoice& choice, const char* command,
                                               std::ostream& err) {
  auto solid = std::make_unique<CSolidModelBuilder>();
  auto symbolic = std::make_unique<CSymbolicModelBuilder>();
  auto chosen = ConfigureModelBuilder(choice, *solid, *symbolic, command, err);
  if (!chosen) return std::nullopt;
  if (choice.representation == Representation::Solid)
    chosen->m_owned = std::move(solid);
  else
    chosen->m_owned = std::move(symbolic);
  return chosen;
}

}  // namespace kelto::cli
