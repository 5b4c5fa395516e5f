#include "ConvertCommand.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>
#include <optional>

#include "kelto/data/PlantConvert.h"

namespace kelto::cli {

namespace {

std::optional<data::PcfUnit> ParseUnit(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (text == "mm") return data::PcfUnit::kMillimetre;
  if (text == "inch") return data::PcfUnit::kInch;
  if (text == "keep") return data::PcfUnit::kKeep;
  return std::nullopt;
}

void AddUnitOption(CLI::App& app, const std::string& name, data::PcfUnit& target,
                   const std::string& help) {
  CheckedBy(app.add_option_function<std::string>(
                name, [&target](const std::string& v) { target = *ParseUnit(v); }, help),
            [](const std::string& v) -> std::string {
              return ParseUnit(v) ? "" : "expected mm, inch or keep, not \"" + v + "\"";
            })
      ->type_name("U");
}

}  // namespace

std::string CConvertCommand::Description() const {
  return "Converts a plant between the JSON piping format and PCF (piping component files), "
         "both ways. The format of each input is told by its content, that of OUT by its "
         "extension (.pcf, else JSON). Several inputs, or a folder of .pcf and .json files, "
         "become one plant. OUT is replaced only when the whole plant was written "
         "(docs/pcf-format.md).";
}

void CConvertCommand::Define(CLI::App& app) {
  app.add_option("paths", m_paths, "input files or folders, then the output file")
      ->required()
      ->type_name("IN... OUT");
  AddUnitOption(app, "--units-bore", m_pcf.bore,
                "bores of a PCF output: mm, inch or keep (default: as the plant has them)");
  AddUnitOption(app, "--units-coords", m_pcf.coordinates,
                "coordinates of a PCF output: mm (default) or inch");
  app.add_flag("--keep-going", m_load.keepGoing,
               "skip PCF blocks and files that cannot be read, listing each, instead of "
               "stopping at the first");
}

void CConvertCommand::Check() {
  if (m_paths.size() < 2) throw UsageError("needs an input and an output file");
}

int CConvertCommand::Run(std::ostream&, std::ostream& err) {
  std::vector<std::filesystem::path> inputs(m_paths.begin(), m_paths.end() - 1);
  try {
    for (const std::string& warning :
         data::ConvertPlant(inputs, m_paths.back(), m_load, m_pcf))
      err << "kelto3d convert: warning: " << warning << '\n';
  } catch (const std::exception& e) {
    err << "kelto3d convert: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

std::unique_ptr<CCommand> MakeConvertCommand() { return std::make_unique<CConvertCommand>(); }

}  // namespace kelto::cli
