// The commands of kelto3d. Each NAME has a CCommand subclass in NAMECommand.h
// and .cpp with a factory MakeNAMECommand() (register and unregister share
// RegisterCommand.*); CMake picks the files up, so a new command needs only
// its line here.
#include <memory>
#include <vector>

#include "CommandLine.h"

#define KELTO3D_COMMANDS(X) \
  X(Generate)               \
  X(Convert)                \
  X(Dump)                   \
  X(Info)                   \
  X(Render)                 \
  X(Register)               \
  X(Unregister)             \
  X(Classes)

namespace kelto::cli {

#define KELTO3D_DECLARE(Name) std::unique_ptr<CCommand> Make##Name##Command();
KELTO3D_COMMANDS(KELTO3D_DECLARE)
#undef KELTO3D_DECLARE

std::vector<std::unique_ptr<CCommand>> MakeCommands() {
  std::vector<std::unique_ptr<CCommand>> commands;
#define KELTO3D_MAKE(Name) commands.push_back(Make##Name##Command());
  KELTO3D_COMMANDS(KELTO3D_MAKE)
#undef KELTO3D_MAKE
  return commands;
}

}  // namespace kelto::cli
