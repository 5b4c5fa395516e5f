// Which model a command builds — solid bodies or line-art symbols — and the
// builder that makes it, configured from the command line. dump, info and
// render all choose their builder here, so the two representations take the
// same arguments everywhere.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "solid/ModelBuilder.h"
#include "solid/SolidModelBuilder.h"

class CSymbolicModelBuilder;

namespace kelto::cli {

enum class Representation { Solid, Symbolic };

// "solid" or "symbolic" (any case).
std::optional<Representation> ParseRepresentation(std::string_view text);

struct ModelChoice {
  Representation representation = Representation::Solid;
  // An XML file, or XML text when it begins with '<'.
  std::optional<std::string> extDims;
  // Solid only.
  std::optional<std::string> typeTable;
  // Symbol library files, symbolic only; a later file is searched first.
  std::vector<std::string> symbols;
  // --keep-going: skip the parts of piping files that cannot be read.
  bool keepGoing = false;
};

// The problem with arguments that do not apply to the chosen representation
// (a type table for symbols, symbol files for solids); nullopt when none.
std::optional<std::string> ModelChoiceProblem(const ModelChoice& choice);

// A model builder of either kind. The observer sees every component the
// builder draws in the solid builder's terms; for the symbolic builder the
// "function" is "symbolic".
class CChosenBuilder {
 public:
  CChosenBuilder(CChosenBuilder&&) noexcept;
  CChosenBuilder& operator=(CChosenBuilder&&) noexcept;
  ~CChosenBuilder();

  IFModelBuilder& Builder() const { return *m_builder; }
  // The builder, when this owns it (null for one chosen among another's).
  std::unique_ptr<IFModelBuilder> Release() { return std::move(m_owned); }
  void SetObserver(CSolidModelBuilder::IFObserver* observer);

 private:
  friend std::optional<CChosenBuilder> MakeModelBuilder(const ModelChoice&, const char*,
                                                       std::ostream&);
  friend std::optional<CChosenBuilder> ConfigureModelBuilder(const ModelChoice&,
                                                             CSolidModelBuilder&,
                                                             CSymbolicModelBuilder&, const char*,
                                                             std::ostream&);
  class SymbolicRelay;
  CChosenBuilder(IFModelBuilder& builder, Representation representation);

  std::unique_ptr<IFModelBuilder> m_owned;
  IFModelBuilder* m_builder;
  Representation m_representation;
  std::unique_ptr<SymbolicRelay> m_relay;
};

// Makes and configures the builder: external dimensions (their problems go
// to err as warnings), the type table, the symbol files. On a file that
// cannot be read writes a message naming it and returns nullopt.
std::optional<CChosenBuilder> MakeModelBuilder(const ModelChoice& choice, const char* command,
                                               std::ostream& err);

// The same for builders someone else owns (a view control's): picks the one
// of the chosen representation and configures it, or returns nullopt.
std::optional<CChosenBuilder> ConfigureModelBuilder(const ModelChoice& choice,
                                                    CSolidModelBuilder& solid,
                                                    CSymbolicModelBuilder& symbolic,
                                                    const char* command, std::ostream& err);

}  // namespace kelto::cli
