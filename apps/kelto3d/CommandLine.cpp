#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <sstream>

namespace kelto::cli {

namespace {

constexpr std::size_t kHelpWidth = 80;
// Where option descriptions start in --help.
constexpr std::size_t kOptionColumn = 24;

// Fills lines of at most width columns with the words of text; a line break
// in text starts a new line, a blank line is kept as a paragraph break. A
// word longer than width stands on a line of its own.
std::string Wrap(const std::string& text, std::size_t width) {
  std::string wrapped;
  std::istringstream lines(text);
  bool firstLine = true;
  for (std::string line; std::getline(lines, line);) {
    if (!firstLine) wrapped += '\n';
    firstLine = false;
    // Keep a line's own indentation: lists in descriptions use it.
    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string::npos) continue;
    std::istringstream words(line.substr(indent));
    std::string current(indent, ' ');
    bool empty = true;
    for (std::string word; words >> word;) {
      if (!empty && current.size() + 1 + word.size() > width) {
        wrapped += current + '\n';
        current = std::string(indent, ' ');
        empty = true;
      }
      current += (empty ? "" : " ") + word;
      empty = false;
    }
    wrapped += current;
  }
  return wrapped;
}

// The help layout of every command: usage, description, then the arguments
// and options in two columns, all within kHelpWidth columns.
class CHelpFormatter : public CLI::Formatter {
 public:
  explicit CHelpFormatter(std::string usage) : m_usage(std::move(usage)) {
    column_width(kOptionColumn);
  }

  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
    std::string help = "Usage: " + m_usage + "\n";
    if (!app->get_description().empty())
      help += "\n" + Wrap(app->get_description(), kHelpWidth) + "\n";
    help += make_positionals(app);
    help += make_groups(app, mode);
    return help;
  }
  std::string make_positionals(const CLI::App* app) const override {
    std::vector<const CLI::Option*> positionals = app->get_options(
        [](const CLI::Option* o) { return !o->get_group().empty() && o->get_positional(); });
    return positionals.empty() ? std::string() : make_group("Arguments", true, positionals);
  }
  std::string make_option_opts(const CLI::Option* option) const override {
    return option->nonpositional() && option->get_type_size() != 0 ? " " + option->get_type_name()
                                                                   : std::string();
  }
  std::string make_option_desc(const CLI::Option* option) const override {
    return Wrap(option->get_description(), kHelpWidth - kOptionColumn);
  }

 private:
  std::string m_usage;
};

void ReportUsageError(const CCommand& command, const std::string& problem, std::ostream& err) {
  err << "kelto3d " << command.Name() << ": " << problem << "\nTry 'kelto3d " << command.Name()
      << " --help'\n";
}

// CLI11's message for a parse error, in this tool's words where they differ.
std::string ProblemOf(const CLI::ParseError& error, const CLI::App& app) {
  std::string message = error.what();
  // CLI11 checks for missing options before it reports unknown ones; an
  // unknown option is the likelier cause (a misspelt -o), so it is named first.
  if (dynamic_cast<const CLI::ExtrasError*>(&error) ||
      dynamic_cast<const CLI::RequiredError*>(&error)) {
    const std::vector<std::string> extra = app.remaining();
    if (!extra.empty()) {
      const std::string& first = extra.front();
      const bool option = first.size() > 1 && first.front() == '-';
      return (option ? "unknown option \"" : "unexpected argument \"") + first + "\"";
    }
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
    // "--size: 1 required WxH missing" is an option given without its value.
    const auto colon = message.find(": ");
    const auto required = message.find(" required ");
    const std::string missing = " missing";
    if (colon != std::string::npos && required != std::string::npos &&
        message.size() > missing.size() &&
        message.compare(message.size() - missing.size(), missing.size(), missing) == 0) {
      const std::size_t type = required + std::string(" required ").size();
      return message.substr(0, colon) + " needs a value (" +
             message.substr(type, message.size() - missing.size() - type) + ")";
    }
  }
  // CLI11's own sentences ("The following ...") are lowered to read like the
  // rest of the tool's messages; names in capitals ("FILE is required") stay.
  if (message.size() > 1 && std::isupper(static_cast<unsigned char>(message[0])) &&
      std::islower(static_cast<unsigned char>(message[1])))
    message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(message[0])));
  return message;
}

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--") return false;
    if (a == "-h" || a == "--help") return true;
  }
  return false;
}

std::unique_ptr<CLI::App> MakeApp(CCommand& command) {
  auto app = std::make_unique<CLI::App>(command.Description(),
                                        std::string("kelto3d ") + command.Name());
  app->formatter(std::make_shared<CHelpFormatter>(command.Usage()));
  // A later value of a single-valued option wins, as in most tools.
  app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app->set_help_flag("-h,--help", "show this text");
  command.Define(*app);
  return app;
}

std::string ToolHelp(const std::vector<std::unique_ptr<CCommand>>& commands) {
  std::ostringstream help;
  help << "Usage: kelto3d COMMAND [ARGUMENTS]\n"
          "       kelto3d COMMAND --help\n"
          "\nCommands:\n";
  constexpr std::size_t kNameColumn = 14;
  for (const auto& command : commands) {
    const std::string name = std::string("  ") + command->Name();
    const std::string summary = Wrap(command->Summary(), kHelpWidth - kNameColumn);
    help << name << std::string(kNameColumn > name.size() ? kNameColumn - name.size() : 1, ' ');
    for (const char c : summary) {
      help << c;
      if (c == '\n') help << std::string(kNameColumn, ' ');
    }
    help << '\n';
  }
  return help.str();
}

}  // namespace

CLI::Option* CheckedBy(CLI::Option* option, ValueCheck check) {
  return option->check(CLI::Validator(std::move(check), ""));
}

ValueCheck NotEmpty(const std::string& what) {
  return [what](const std::string& value) { return value.empty() ? "needs " + what : ""; };
}

std::string CommandHelp(CCommand& command) { return MakeApp(command)->help(); }

std::optional<int> ParseCommandArguments(CCommand& command, const std::vector<std::string>& args,
                                         std::ostream& out, std::ostream& err) {
  const auto app = MakeApp(command);
  // Help wins over anything wrong beside it.
  if (AsksForHelp(args)) {
    out << app->help();
    return 0;
  }
  try {
    app->parse(std::vector<std::string>(args.rbegin(), args.rend()));
    command.Check();
  } catch (const CLI::ParseError& e) {
    ReportUsageError(command, ProblemOf(e, *app), err);
    return kUsageExit;
  } catch (const UsageError& e) {
    ReportUsageError(command, e.what(), err);
    return kUsageExit;
  }
  return std::nullopt;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto commands = MakeCommands();
  if (args.empty()) {
    err << "kelto3d: which command?\nTry 'kelto3d --help'\n";
    return kUsageExit;
  }
  if (args[0] == "-h" || args[0] == "--help") {
    out << ToolHelp(commands);
    return 0;
  }
  for (const auto& command : commands) {
    if (args[0] != command->Name()) continue;
    if (const auto code = ParseCommandArguments(*command, {args.begin() + 1, args.end()}, out, err))
      return *code;
    try {
      return command->Run(out, err);
    } catch (const UsageError& e) {
      ReportUsageError(*command, e.what(), err);
      return kUsageExit;
    }
  }
  std::string names;
  for (const auto& command : commands) names += (names.empty() ? "" : ", ") + std::string(command->Name());
  err << "kelto3d: unknown command \"" << args[0] << "\" (commands: " << names
      << ")\nTry 'kelto3d --help'\n";
  return kUsageExit;
}

}  // namespace kelto::cli
