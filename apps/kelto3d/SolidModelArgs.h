// What `kelto3d dump` and `kelto3d info` share: their arguments, loading the
// piping file, configuring the solid builder and building the model.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/ModelNode.h"
#include "solid/SolidModelBuilder.h"

namespace kelto::cli {

struct SolidModelArgs {
  std::string file;
  // An XML file, or XML text when it begins with '<'.
  std::optional<std::string> extDims;
  std::optional<std::string> typeTable;
  bool detail = false;  // dump only
  bool help = false;
};

// Parses the arguments after the command name. Flags besides the common
// ones are accepted only when listed in extraFlags. On a problem writes it
// to err and returns nullopt.
std::optional<SolidModelArgs> ParseSolidModelArgs(const std::vector<std::string>& args,
                                                  const std::vector<std::string>& extraFlags,
                                                  const char* command, std::ostream& err);

// Loads the file, applies --ext-dims and --type-table to builder (their
// problems go to err as warnings; "XML Error" boxes print there too) and
// builds the model. On failure writes a message naming the file to err and
// returns null.
cptr::counted_ptr<CModelNode> BuildSolidModel(const SolidModelArgs& args,
                                              CSolidModelBuilder& builder, const char* command,
                                              std::ostream& err);

}  // namespace kelto::cli
