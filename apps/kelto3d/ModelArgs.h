// What `kelto3d dump` and `kelto3d info` share: their arguments, loading the
// piping file, configuring the model builder (solid or symbolic) and building
// the model.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/ModelNode.h"
#include "kelto/Piping.h"
#include "Command.h"
#include "ModelChoice.h"
#include "platform/com/ComPtr.h"
#include "solid/SolidModelBuilder.h"

namespace CLI {
class App;
}

namespace kelto::cli {

struct ModelArgs {
  std::string file;
  // --representation, --ext-dims, --type-table, --symbols.
  ModelChoice model;
  bool detail = false;  // dump only
};

// Declares the model options (--representation, --ext-dims, --type-table,
// --symbols) on a command's app, storing their values in model.
void DefineModelOptions(CLI::App& app, ModelChoice& model);

// A command that builds the model of one piping file (dump, info): the
// file, the model options and their checks.
class CModelFileCommand : public CCommand {
 public:
  void Define(CLI::App& app) override;
  void Check() override;

 protected:
  ModelArgs m_args;
};

struct BuiltModel {
  CChosenBuilder builder;
  cptr::counted_ptr<CModelNode> root;
};

// Makes the builder the arguments choose (problems of --ext-dims go to err as
// warnings; "XML Error" boxes print there too), tells observer about every
// component, loads the file and builds its model. On failure writes a
// message naming the file to err and returns nullopt.
std::optional<BuiltModel> BuildModel(const ModelArgs& args,
                                     CSolidModelBuilder::IFObserver* observer,
                                     const char* command, std::ostream& err);

// "OPTION" for XML given inline, "OPTION FILE" for a file: where a
// configuration's problem is.
std::string XmlSource(const std::string& value, const char* option);

// The pieces of BuildModel, for commands that build several files with
// one builder (render). None of them installs a message-box handler: the
// caller decides where "XML Error" boxes go.

// The text of an XML argument: value itself when it begins with '<', else
// the contents of the file it names. On a file that cannot be read, or text
// that is not well-formed XML, writes the problem (with its line and column)
// to err and returns nullopt.
std::optional<std::string> ReadXmlArgument(const std::string& value, const char* command,
                                           const char* option, std::ostream& err);

// Applies --ext-dims to builder, problems in its rules as warnings naming
// their source. False when the file could not be read or is not XML.
bool ConfigureExternalDimensions(const ModelChoice& choice, IFModelBuilder& builder,
                                 const char* command, std::ostream& err);

// --ext-dims, then --type-table. False when either could not be read or
// does not load (an "XML Error" of the type table).
bool ConfigureSolidBuilder(const ModelChoice& choice, CSolidModelBuilder& builder,
                           const char* command, std::ostream& err);

// Loads a piping file through the piping-data library. On failure writes a
// message naming the file to err and returns null.
// With keepGoing, unreadable PCF blocks and folder files are skipped; what
// the load worked around is written to err as warnings.
kelto::com::ComPtr<IKeltoFile> LoadPipingFile(const std::string& path, const char* command,
                                              std::ostream& err, bool keepGoing = false);

// Builds the model of a loaded file. On failure writes a message naming the
// file to err and returns null.
cptr::counted_ptr<CModelNode> BuildFileModel(IFModelBuilder& builder, IKeltoFile* file,
                                             const std::string& path, const char* command,
                                             std::ostream& err);

}  // namespace kelto::cli
