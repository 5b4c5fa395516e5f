#include "RegisterCommand.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include <CLI/CLI.hpp>

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"
#include "platform/registry/Registry.h"
#include "platform/registry/Store.h"

#ifndef KELTO_BIN_TO_LIB
#define KELTO_BIN_TO_LIB "../lib"
#endif

namespace kelto::cli {

namespace {

struct Verb {
  const char* command;  // "register"
  const char* entry;    // "DllRegisterServer"
  const char* done;     // "registered"
};
constexpr Verb kRegister{"register", "DllRegisterServer", "registered"};
constexpr Verb kUnregister{"unregister", "DllUnregisterServer", "unregistered"};

std::string HResultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

// The thread's error information after a failed call, or "".
std::string ErrorDescription() {
  kelto::com::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return {};
  BSTR text = nullptr;
  if (FAILED(info->GetDescription(&text))) return {};
  std::string out = kelto::com::BstrToUtf8(text);
  SysFreeString(text);
  return out;
}

// Maps the classes root onto the machine's classes for the life of the
// object, so that a module's own registration writes there.
class MachineClasses {
 public:
  explicit MachineClasses(std::string* error) {
    HKEY key = nullptr;
    const LSTATUS s = RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes", 0, nullptr, 0,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (s != ERROR_SUCCESS) {
      *error = "cannot write the machine's settings store " + kelto::registry::MachineStorePath() +
               (s == ERROR_ACCESS_DENIED || s == ERROR_CANTWRITE
                    ? " (registering for every user needs the right to write it: run as root)"
                    : " (error " + std::to_string(s) + ")");
      return;
    }
    active_ = RegOverridePredefKey(HKEY_CLASSES_ROOT, key) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (!active_) *error = "cannot reach the machine's classes";
  }
  ~MachineClasses() {
    if (active_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  }
  MachineClasses(const MachineClasses&) = delete;
  MachineClasses& operator=(const MachineClasses&) = delete;
  bool Active() const { return active_; }

 private:
  bool active_ = false;
};

// Runs the verb's entry point of one module; false (with the reason on err)
// when the module cannot be opened or its entry point fails.
bool RunModule(const Verb& verb, const std::string& module, bool system, std::ostream& out,
               std::ostream& err) {
  std::error_code ec;
  // Modules stay loaded: the runtime never unloads them (docs/runtime-modules.md).
  void* handle = dlopen(std::filesystem::absolute(module, ec).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    err << "kelto3d " << verb.command << ": cannot open module " << module << ": " << dlerror()
        << "\n";
    return false;
  }
  auto entry = reinterpret_cast<HRESULT (*)()>(dlsym(handle, verb.entry));
  if (!entry) {
    err << "kelto3d " << verb.command << ": " << module << " is not a component module (it exports no "
        << verb.entry << ")\n";
    return false;
  }
  SetErrorInfo(0, nullptr);
  const HRESULT hr = entry();
  if (FAILED(hr)) {
    const std::string why = ErrorDescription();
    err << "kelto3d " << verb.command << ": " << verb.entry << " in " << module << " failed with "
        << HResultText(hr) << (why.empty() ? "" : ": " + why) << "\n";
    return false;
  }
  out << verb.done << " " << module
      << (system ? " for every user (" + kelto::registry::MachineStorePath() + ")"
                 : " for you (" + kelto::registry::CurrentStorePath() + ")")
      << "\n";
  return true;
}

}  // namespace

std::vector<std::string> DefaultModules() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  // The installed layout first, then the build tree's.
  for (const char* relative : {KELTO_BIN_TO_LIB, "../lib"}) {
    const std::filesystem::path dir = (self.parent_path() / relative).lexically_normal();
    std::vector<std::string> found;
    for (const char* name : {"libkelto3d.so.0", "libkelto.so.0"}) {
      if (std::filesystem::exists(dir / name, ec)) found.push_back((dir / name).string());
    }
    if (found.size() == 2) return found;
  }
  return {};
}

const char* CRegisterCommand::Summary() const {
  return m_unregister ? "remove the classes `register` wrote"
                      : "make the classes of component modules known to hosts";
}

std::string CRegisterCommand::Usage() const {
  return std::string("kelto3d ") + Name() + " [--system] [MODULE...]";
}

std::string CRegisterCommand::Description() const {
  if (m_unregister)
    return "Removes what `kelto3d register` wrote for the modules, through their own "
           "DllUnregisterServer, from your settings store or (with --system) the machine's. "
           "Without MODULE: libkelto3d.so and libkelto.so of this installation.";
  return "Makes the classes of component modules known to hosts, as the modules' own "
         "DllRegisterServer writes them: for you ($XDG_CONFIG_HOME/kelto3d/registry.sqlite) "
         "or, with --system, for every user of this machine (/etc/xdg/kelto3d/registry.sqlite, "
         "or the first folder of $XDG_CONFIG_DIRS; needs the right to write it). A class you "
         "register wins over the machine's registration of it. Without MODULE: libkelto3d.so "
         "and libkelto.so of this installation.";
}

void CRegisterCommand::Define(CLI::App& app) {
  app.add_flag("--system", m_system, "the machine's settings store instead of yours");
  app.add_option("MODULE", m_modules, "component modules (shared libraries)");
}

int CRegisterCommand::Run(std::ostream& out, std::ostream& err) {
  const Verb& verb = m_unregister ? kUnregister : kRegister;
  std::vector<std::string> modules = m_modules.empty() ? DefaultModules() : m_modules;
  if (modules.empty()) {
    err << "kelto3d " << verb.command
        << ": the installation's modules were not found next to this program; name them\n";
    return 1;
  }
  // Missing files are reported before anything is written, so a mistyped
  // name never leaves a store behind.
  bool ok = true;
  std::erase_if(modules, [&](const std::string& module) {
    std::error_code ec;
    if (std::filesystem::exists(module, ec)) return false;
    err << "kelto3d " << verb.command << ": module not found: " << module << "\n";
    ok = false;
    return true;
  });
  if (modules.empty()) return 1;
  std::string error;
  std::optional<MachineClasses> machine;
  if (m_system) {
    machine.emplace(&error);
    if (!machine->Active()) {
      err << "kelto3d " << verb.command << ": " << error << "\n";
      return 1;
    }
  }
  for (const std::string& module : modules) ok = RunModule(verb, module, m_system, out, err) && ok;
  return ok ? 0 : 1;
}

std::unique_ptr<CCommand> MakeRegisterCommand() { return std::make_unique<CRegisterCommand>(false); }
std::unique_ptr<CCommand> MakeUnregisterCommand() { return std::make_unique<CRegisterCommand>(true); }

}  // namespace kelto::cli
