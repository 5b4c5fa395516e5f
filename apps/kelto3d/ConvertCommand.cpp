#include "ConvertCommand.h"

#include <filesystem>
#include <optional>

#include "kelto/data/LoadError.h"
#include "kelto/data/PlantConvert.h"

namespace kelto::cli {

namespace {

constexpr const char* kHelp =
    "Usage: kelto3d convert [--units-bore U] [--units-coords U] [--keep-going]\n"
    "                       IN... OUT\n"
    "\n"
    "Converts a plant between the JSON piping format and PCF (piping component\n"
    "files), both ways; the format of each input is told by its content, that\n"
    "of OUT by its extension (.pcf, else JSON). Several inputs, or a folder of\n"
    ".pcf and .json files, become one plant. OUT is replaced only when the\n"
    "whole plant was written (docs/pcf-format.md).\n"
    "\n"
    "  --units-bore U    bores of a PCF output: mm, inch, or keep (default:\n"
    "                    as the plant has them)\n"
    "  --units-coords U  coordinates of a PCF output: mm (default) or inch\n"
    "  --keep-going      skip PCF blocks and files that cannot be read, listing\n"
    "                    each, instead of stopping at the first\n"
    "  -h, --help        show this text\n";

std::optional<data::PcfUnit> ParseUnit(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (text == "mm") return data::PcfUnit::kMillimetre;
  if (text == "inch") return data::PcfUnit::kInch;
  if (text == "keep") return data::PcfUnit::kKeep;
  return std::nullopt;
}

}  // namespace

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  data::LoadOptions load;
  data::PcfWriteOptions pcf;
  std::vector<std::filesystem::path> paths;
  auto usage = [&](const std::string& problem) {
    err << "kelto3d convert: " << problem << "\n" << kHelp;
    return 2;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help") {
      out << kHelp;
      return 0;
    }
    if (a == "--keep-going") {
      load.keepGoing = true;
    } else if (a == "--units-bore" || a == "--units-coords") {
      if (i + 1 >= args.size()) return usage(a + " needs mm, inch or keep");
      const auto unit = ParseUnit(args[++i]);
      if (!unit) return usage(a + " takes mm, inch or keep, not \"" + args[i] + "\"");
      (a == "--units-bore" ? pcf.bore : pcf.coordinates) = *unit;
    } else if (a.size() > 1 && a.front() == '-') {
      return usage("unknown option \"" + a + "\"");
    } else {
      paths.emplace_back(a);
    }
  }
  if (paths.size() < 2) return usage("needs an input and an output file");
  const std::filesystem::path output = paths.back();
  paths.pop_back();
  try {
    for (const std::string& warning : data::ConvertPlant(paths, output, load, pcf))
      err << "kelto3d convert: warning: " << warning << '\n';
  } catch (const std::exception& e) {
    err << "kelto3d convert: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace kelto::cli
