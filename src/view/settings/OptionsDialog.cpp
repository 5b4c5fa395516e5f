#include "view/settings/OptionsDialog.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>

#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "view/settings/PropertySheetPlugin.h"
#include "view/settings/RendererPropPg.h"

namespace {

constexpr LCID kEnglishUnitedStates = 0x409;

struct Plugin {
  std::string path;
  KeltoShowPropertySheetFn show = nullptr;
};

Plugin LoadPlugin() {
  namespace fs = std::filesystem;
  Dl_info self{};
  std::vector<fs::path> candidates;
  if (dladdr(reinterpret_cast<void*>(&ShowOptionsDialog), &self) && self.dli_fname) {
    const fs::path here = fs::absolute(self.dli_fname).parent_path();
    candidates.push_back(here / kPropertySheetPlugin);
    candidates.push_back(here.parent_path() / "lib" / kPropertySheetPlugin);
  }
  candidates.emplace_back(kPropertySheetPlugin);
  std::string tried;
  for (const fs::path& candidate : candidates) {
    const bool byName = !candidate.has_parent_path();
    if (!byName && !fs::exists(candidate)) continue;
    void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      tried += std::string("\n  ") + dlerror();
      continue;
    }
    auto show = reinterpret_cast<KeltoShowPropertySheetFn>(dlsym(handle, kPropertySheetEntry));
    if (!show) {
      tried += "\n  " + candidate.string() + ": no " + kPropertySheetEntry;
      continue;
    }
    return {candidate.string(), show};
  }
  throw std::runtime_error(std::string("Cannot show the options dialog: the dialog plugin ") +
                           kPropertySheetPlugin + " could not be loaded (it is built with Qt 6 " +
                           "Widgets, package qt6-base-dev):" + tried);
}

Plugin& TheLoadedPlugin() {
  static Plugin plugin = LoadPlugin();
  return plugin;
}

}  // namespace

std::string OptionsDialogPluginPath() {
  try {
    return TheLoadedPlugin().path;
  } catch (const std::exception&) {
    return {};
  }
}

bool ShowOptionsDialog(IUnknown* object, unsigned long ownerWindow) {
  auto page = kelto::com::MakeObject<CRendererPropPg>();
  IUnknown* objects[] = {object};
  if (FAILED(page->SetObjects(1, objects)))
    throw std::runtime_error("Cannot show the options dialog: the object has no graphics options.");
  const Plugin& plugin = TheLoadedPlugin();
  IPropertyPage* pages[] = {page.Get()};
  const KeltoPropertySheetRequest request{
      sizeof request, u"3D View", object, pages, 1, kEnglishUnitedStates, ownerWindow};
  char error[512] = {};
  const HRESULT hr = plugin.show(&request, error, sizeof error);
  if (FAILED(hr))
    throw std::runtime_error(std::string("Cannot show the options dialog: ") +
                             (error[0] ? error : "the dialog plugin failed."));
  return hr == S_OK;
}
