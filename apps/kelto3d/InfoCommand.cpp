#include "InfoCommand.h"

#include <memory>

#include "solid/ModelSummary.h"

namespace kelto::cli {

std::string CInfoCommand::Description() const {
  return "Builds the model of a piping file (solid, or line-art symbols with "
         "--representation symbolic) and summarises it: pipelines, components by type (with "
         "the construction function that drew them; \"symbolic\" for line-art) and by group, "
         "primitives by kind, the bounding box, and every component that fell back to "
         "DrawLegs or could not be drawn, with the reason.";
}

int CInfoCommand::Run(std::ostream& out, std::ostream& err) {
  CModelSummary summary;
  const auto model = BuildModel(m_args, &summary, Name(), err);
  if (!model) return 1;
  summary.Write(out, *model->root);
  return out ? 0 : 1;
}

std::unique_ptr<CCommand> MakeInfoCommand() { return std::make_unique<CInfoCommand>(); }

}  // namespace kelto::cli
