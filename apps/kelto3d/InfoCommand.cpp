#include "InfoCommand.h"

#include <string>

#include "ModelArgs.h"
#include "solid/ModelSummary.h"

namespace kelto::cli {

namespace {

const std::string kHelp = std::string(
    "Usage: kelto3d info [--representation R] [--ext-dims XML] [--type-table XML]\n"
    "                    [--symbols FILE]... FILE\n"
    "\n"
    "Builds the model of a piping file (solid, or line-art symbols with\n"
    "--representation symbolic) and summarises it: pipelines, components by\n"
    "type (with the construction function that drew them; \"symbolic\" for\n"
    "line-art) and by group, primitives by kind, the bounding box, and every\n"
    "component that fell back to DrawLegs or could not be drawn, with the reason.\n"
    "\n") +
    kModelArgsHelp + "  -h, --help          show this text\n";

}  // namespace

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto parsed = ParseModelArgs(args, {}, "info", err);
  if (!parsed) {
    err << kHelp;
    return 2;
  }
  if (parsed->help) {
    out << kHelp;
    return 0;
  }
  CModelSummary summary;
  const auto model = BuildModel(*parsed, &summary, "info", err);
  if (!model) return 1;
  summary.Write(out, *model->root);
  return out ? 0 : 1;
}

}  // namespace kelto::cli
