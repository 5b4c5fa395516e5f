// "kelto3d classes": every class registered in the settings store, with its
// ProgIDs, its module and the members its type information describes.
#pragma once

#include "Command.h"

namespace kelto::cli {

class CClassesCommand : public CCommand {
 public:
  const char* Name() const override { return "classes"; }
  const char* Summary() const override { return "list the registered classes and their members"; }
  std::string Usage() const override { return "kelto3d classes"; }
  std::string Description() const override;
  void Define(CLI::App&) override {}
  // 0 listed (also when nothing is registered).
  int Run(std::ostream& out, std::ostream& err) override;
};

}  // namespace kelto::cli
