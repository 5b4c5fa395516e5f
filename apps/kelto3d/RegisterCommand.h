// "kelto3d register" and "kelto3d unregister": write or remove the classes of
// component modules in the settings store, through each module's own
// DllRegisterServer / DllUnregisterServer, for the calling user or (with
// --system) for every user of the machine.
#pragma once

#include <string>
#include <vector>

#include "Command.h"

namespace kelto::cli {

// The modules registered when none is named: libkelto3d.so and libkelto.so
// from the library folder next to this program's folder.
std::vector<std::string> DefaultModules();

// One class for both verbs: they differ in the entry point they call.
class CRegisterCommand : public CCommand {
 public:
  explicit CRegisterCommand(bool unregister) : m_unregister(unregister) {}
  const char* Name() const override { return m_unregister ? "unregister" : "register"; }
  const char* Summary() const override;
  std::string Usage() const override;
  std::string Description() const override;
  void Define(CLI::App& app) override;
  // 0 every module done, 1 one failed (the others are still tried).
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  bool m_unregister;
  bool m_system = false;
  std::vector<std::string> m_modules;
};

}  // namespace kelto::cli
