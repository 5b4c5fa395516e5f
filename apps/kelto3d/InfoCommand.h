// "kelto3d info": summarises the model of a piping file.
#pragma once

#include "ModelArgs.h"

namespace kelto::cli {

class CInfoCommand : public CModelFileCommand {
 public:
  const char* Name() const override { return "info"; }
  const char* Summary() const override { return "summarise the model of a piping file"; }
  std::string Usage() const override { return "kelto3d info [OPTIONS] FILE"; }
  std::string Description() const override;
  // 0 done, 1 the file could not be read.
  int Run(std::ostream& out, std::ostream& err) override;
};

}  // namespace kelto::cli
