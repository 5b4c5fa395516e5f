// "kelto3d convert": a plant from JSON or PCF files to a JSON or PCF file.
#pragma once

#include <string>
#include <vector>

#include "Command.h"
#include "kelto/data/File.h"
#include "kelto/data/PcfWriter.h"

namespace kelto::cli {

class CConvertCommand : public CCommand {
 public:
  const char* Name() const override { return "convert"; }
  const char* Summary() const override { return "convert a plant between JSON and PCF"; }
  std::string Usage() const override { return "kelto3d convert [OPTIONS] IN... OUT"; }
  std::string Description() const override;
  void Define(CLI::App& app) override;
  void Check() override;
  // 0 written, 1 an input could not be read or the output not written.
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  std::vector<std::string> m_paths;
  data::LoadOptions m_load;
  data::PcfWriteOptions m_pcf;
};

}  // namespace kelto::cli
