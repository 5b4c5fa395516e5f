// The test module's class table and exported entry points, written exactly as
// a product module writes them.
#include "TestModule.h"

#include "platform/com/ClassFactory.h"

namespace kelto::testmodule {
namespace {

constexpr kelto::com::ClassEntry kClasses[] = {
    {kClsidCalculator, "KeltoTest.Calculator.1", "KeltoTest.Calculator", "Calculator Object",
     &kelto::com::CreateInstanceOf<CCalculator>},
    {kClsidPlainCalculator, nullptr, nullptr, "Plain Calculator Object",
     &kelto::com::CreateInstanceOf<CCalculator>, "Both", false},
};

std::span<const kelto::com::ClassEntry> Classes() { return kClasses; }

using Server = kelto::com::ModuleServer<Lock, &Classes>;

constexpr GUID kTypeLib = kelto::com::MakeGuid("6B1E3C52-0F4D-4E55-9A8B-2C7D1E0F3A4F");

[[gnu::constructor]] void OnLoad() { Server::Attach(); }
[[gnu::destructor]] void OnUnload() { Server::Detach(); }

}  // namespace
}  // namespace kelto::testmodule

using kelto::testmodule::Server;

KELTO_API HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  return Server::GetClassObject(rclsid, riid, ppv);
}

KELTO_API HRESULT DllCanUnloadNow() { return Server::CanUnloadNow(); }

KELTO_API HRESULT DllRegisterServer() {
  return Server::RegisterServer(&kelto::testmodule::kTypeLib);
}

KELTO_API HRESULT DllUnregisterServer() {
  return Server::UnregisterServer(&kelto::testmodule::kTypeLib);
}
