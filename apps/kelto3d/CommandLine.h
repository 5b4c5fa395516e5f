// The kelto3d command line: finds the command named by the first argument,
// parses the rest with CLI11 and runs it. Usage errors are one line naming
// the problem and a pointer to the command's help, exit code 2.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Command.h"

namespace kelto::cli {

// The exit code of a usage error (a bad or missing argument).
inline constexpr int kUsageExit = 2;

// Every command, in the order `kelto3d --help` lists them (Commands.cpp).
std::vector<std::unique_ptr<CCommand>> MakeCommands();

// The text of `kelto3d COMMAND --help`, lines within 80 columns.
std::string CommandHelp(CCommand& command);

// Parses args (those after the command's name) into command. Returns nullopt
// when the command is ready to run; otherwise the exit code: 0 after --help
// (written to out), kUsageExit after a usage error (written to err).
std::optional<int> ParseCommandArguments(CCommand& command, const std::vector<std::string>& args,
                                         std::ostream& out, std::ostream& err);

// The whole tool: args are those after the program name. Returns the exit code.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kelto::cli
