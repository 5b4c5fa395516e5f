// One command of the kelto3d tool. A command declares its options on its own
// CLI11 app, so every command gets the same usage errors, help layout and
// value checks; the command line (CommandLine.h) parses, reports problems and
// then runs it. Adding a command is a new file pair with a CCommand subclass
// and a factory, plus one line in Commands.cpp.
#pragma once

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace kelto::cli {

// A problem with what the user typed, found after parsing (between options,
// or by a check that needs the library). Reported like a parse error: one line
// and a pointer to the command's help, exit code 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CCommand {
 public:
  virtual ~CCommand() = default;

  // The word after "kelto3d".
  virtual const char* Name() const = 0;
  // One line for the list of commands in `kelto3d --help`.
  virtual const char* Summary() const = 0;
  // The usage line after "Usage: ", e.g. "kelto3d dump [OPTIONS] FILE".
  virtual std::string Usage() const = 0;
  // The paragraphs of --help above the options (wrapped to the terminal's 80
  // columns by the help layout; a blank line separates paragraphs).
  virtual std::string Description() const = 0;
  // Declares the options and positional arguments, storing their values in
  // the command. Value checks go on the options (CheckedBy below).
  virtual void Define(CLI::App& app) = 0;
  // Checks between options, after parsing; throws UsageError.
  virtual void Check() {}
  // Does the work; returns the exit code (0 done, 1 failed; a UsageError
  // thrown here is reported as one, exit code 2).
  virtual int Run(std::ostream& out, std::ostream& err) = 0;
};

// A value check: returns the problem ("" when the value is fine). The
// problem is reported as "OPTION: PROBLEM".
using ValueCheck = std::function<std::string(const std::string&)>;
CLI::Option* CheckedBy(CLI::Option* option, ValueCheck check);

// Refuses an empty value: "needs WHAT".
ValueCheck NotEmpty(const std::string& what);

}  // namespace kelto::cli
