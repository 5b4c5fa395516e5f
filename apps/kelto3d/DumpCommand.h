// "kelto3d dump": prints the model tree of a piping file as text.
#pragma once

#include "ModelArgs.h"

namespace kelto::cli {

class CDumpCommand : public CModelFileCommand {
 public:
  const char* Name() const override { return "dump"; }
  const char* Summary() const override { return "print the model tree of a piping file"; }
  std::string Usage() const override { return "kelto3d dump [OPTIONS] FILE"; }
  std::string Description() const override;
  void Define(CLI::App& app) override;
  // 0 done, 1 the file could not be read.
  int Run(std::ostream& out, std::ostream& err) override;
};

}  // namespace kelto::cli
