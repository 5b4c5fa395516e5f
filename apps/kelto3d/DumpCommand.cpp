#include "DumpCommand.h"

#include <CLI/CLI.hpp>

#include <memory>

#include "solid/ModelDump.h"

namespace kelto::cli {

std::string CDumpCommand::Description() const {
  return "Builds the model of a piping file (solid, or line-art symbols with "
         "--representation symbolic) and prints its model tree: each node (file, pipeline, "
         "component) with its primitives, bound box and minimum contained radius, in the "
         "order of the file (docs/cli.md).";
}

void CDumpCommand::Define(CLI::App& app) {
  CModelFileCommand::Define(app);
  app.add_flag("--detail", m_args.detail,
               "print every field of every primitive (diameters, bend centres, directions, "
               "colours)");
}

int CDumpCommand::Run(std::ostream& out, std::ostream& err) {
  const auto model = BuildModel(m_args, nullptr, Name(), err);
  if (!model) return 1;
  kelto::solid::DumpOptions options;
  options.detail = m_args.detail;
  kelto::solid::WriteModelDump(out, *model->root, options);
  return out ? 0 : 1;
}

std::unique_ptr<CCommand> MakeDumpCommand() { return std::make_unique<CDumpCommand>(); }

}  // namespace kelto::cli
