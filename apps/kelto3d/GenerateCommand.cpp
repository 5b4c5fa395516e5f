#include "GenerateCommand.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <optional>

#include "kelto/data/Generator.h"
#include "kelto/data/Limits.h"

namespace kelto::cli {

namespace {

constexpr const char* kHelp =
    "Usage: kelto3d generate --components N [--seed S] -o FILE\n"
    "\n"
    "Writes a generated plant of exactly N components to FILE (a piping file,\n"
    "see docs/piping-format.md). The same N and S always give the same bytes.\n"
    "\n"
    "  --components N   number of components, 0 to 10000000\n"
    "  --seed S         seed of the layout, 0 to 18446744073709551615 (default 1)\n"
    "  -o, --output F   file to write; \"-\" writes to standard output\n"
    "  -h, --help       show this text\n";

template <typename T>
std::optional<T> ParseNumber(const std::string& text) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::optional<std::uint64_t> components;
  std::uint64_t seed = 1;
  std::optional<std::string> output;
  auto usage = [&](const std::string& problem) {
    err << "kelto3d generate: " << problem << "\n" << kHelp;
    return 2;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help") {
      out << kHelp;
      return 0;
    }
    const bool takesValue = a == "--components" || a == "--seed" || a == "-o" || a == "--output";
    if (!takesValue) return usage("unknown argument \"" + a + "\"");
    if (i + 1 >= args.size()) return usage(a + " needs a value");
    const std::string& v = args[++i];
    if (a == "--components") {
      components = ParseNumber<std::uint64_t>(v);
      if (!components || *components > data::limits::kMaxComponents)
        return usage("--components takes a whole number from 0 to " +
                     std::to_string(data::limits::kMaxComponents) + ", not \"" + v + "\"");
    } else if (a == "--seed") {
      const auto parsed = ParseNumber<std::uint64_t>(v);
      if (!parsed) return usage("--seed takes a whole number, not \"" + v + "\"");
      seed = *parsed;
    } else {
      if (v.empty()) return usage(a + " needs a file name");
      output = v;
    }
  }
  if (!components) return usage("--components is required");
  if (!output) return usage("-o FILE is required");

  const std::string text = data::Generate(static_cast<std::size_t>(*components), seed);
  if (*output == "-") {
    out << text;
    return out ? 0 : 1;
  }
  std::ofstream file(*output, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) {
    err << "kelto3d generate: cannot write " << *output << "\n";
    return 1;
  }
  return 0;
}

}  // namespace kelto::cli
