#include "GenerateCommand.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <fstream>
#include <memory>
#include <optional>

#include "kelto/data/Generator.h"
#include "kelto/data/Limits.h"

namespace kelto::cli {

namespace {

std::optional<std::uint64_t> ParseNumber(const std::string& text) {
  std::uint64_t value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// A whole number from 0 to max, stored in target once checked.
CLI::Option* AddWholeNumberOption(CLI::App& app, const std::string& name,
                                  std::uint64_t& target, std::uint64_t max,
                                  const std::string& help) {
  const std::string range = "a whole number from 0 to " + std::to_string(max);
  return CheckedBy(app.add_option_function<std::string>(
                       name, [&target](const std::string& v) { target = *ParseNumber(v); }, help),
            [range, max](const std::string& v) -> std::string {
              const auto n = ParseNumber(v);
              return n && *n <= max ? "" : "expected " + range + ", not \"" + v + "\"";
            })
      ->type_name(name == "--seed" ? "S" : "N");
}

}  // namespace

std::string CGenerateCommand::Description() const {
  return "Writes a generated plant of exactly N components to FILE (a piping file, see "
         "docs/piping-format.md). The same N and S always give the same bytes.";
}

void CGenerateCommand::Define(CLI::App& app) {
  AddWholeNumberOption(app, "--components", m_components, data::limits::kMaxComponents,
                       "number of components, 0 to " +
                           std::to_string(data::limits::kMaxComponents))
      ->required();
  AddWholeNumberOption(app, "--seed", m_seed, UINT64_MAX,
                       "seed of the layout, 0 to 18446744073709551615 (default 1)");
  CheckedBy(app.add_option("-o,--output", m_output,
                           "file to write; \"-\" writes to standard output")
                ->required(),
            NotEmpty("a file name"))
      ->type_name("FILE");
}

int CGenerateCommand::Run(std::ostream& out, std::ostream& err) {
  const std::string text = data::Generate(static_cast<std::size_t>(m_components), m_seed);
  if (m_output == "-") {
    out << text;
    return out ? 0 : 1;
  }
  std::ofstream file(m_output, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) {
    err << "kelto3d generate: cannot write " << m_output << "\n";
    return 1;
  }
  return 0;
}

std::unique_ptr<CCommand> MakeGenerateCommand() { return std::make_unique<CGenerateCommand>(); }

}  // namespace kelto::cli
