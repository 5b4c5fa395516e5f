// "kelto3d generate": writes a generated plant to a piping file.
#pragma once

#include <cstdint>
#include <string>

#include "Command.h"

namespace kelto::cli {

class CGenerateCommand : public CCommand {
 public:
  const char* Name() const override { return "generate"; }
  const char* Summary() const override { return "write a generated plant to a piping file"; }
  std::string Usage() const override { return "kelto3d generate --components N [--seed S] -o FILE"; }
  std::string Description() const override;
  void Define(CLI::App& app) override;
  // 0 done, 1 the file could not be written.
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  std::uint64_t m_components = 0;
  std::uint64_t m_seed = 1;
  std::string m_output;
};

}  // namespace kelto::cli
