// kelto3d-host: a small host program that drives Kelto3D the way an outside
// application does. It compiles against the public include folder only (as
// installed: kelto3d/, kelto/ and the runtime's platform/ headers) and links
// nothing but the runtime, libkelto3d-runtime.so. The component module (libkelto3d.so) and the
// piping-data module (libkelto.so) are found at run time, either because the
// host opens them itself (the default) or through the settings store after a
// one-time `kelto3d-host --register`.
//
// It loads a piping file through KeltoFile, builds its solid model through
// SolidModelBuilder (created by ProgID), walks the returned ModelNode tree
// through ModelNodes and Primitives, and prints an outline with totals, or
// the model's own Dump with --dump.
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "kelto/Piping.h"
#include "kelto3d/Kelto3D.h"
#include "kelto3d/ModelBuilders.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;

constexpr const char* kBuilderProgId = "Oxbay3Support.SolidModelBuilder";
constexpr const char* kModules[] = {"libkelto3d.so", "libkelto.so"};

constexpr const char* kUsage =
    "usage: kelto3d-host [options] <piping-file.json>\n"
    "       kelto3d-host [options] --register\n"
    "\n"
    "Builds the solid model of a piping file through the scripting classes\n"
    "(KeltoFile, SolidModelBuilder, ModelNode) and prints an outline of the\n"
    "model tree: one line per node with its kind, id and primitive counts,\n"
    "then totals.\n"
    "\n"
    "options:\n"
    "  --dump              print the model's Dump() instead of the outline\n"
    "  --module-dir DIR    where libkelto3d.so and libkelto.so are\n"
    "                      (default: the lib directory next to this program's\n"
    "                      bin directory)\n"
    "  --register          write both modules' classes into the settings store\n"
    "                      ($XDG_CONFIG_HOME/kelto3d/registry.sqlite) with their\n"
    "                      DllRegisterServer; needed once for --use-registry\n"
    "                      and for any other host that relies on the store\n"
    "  --use-registry      do not open the modules; let the runtime find the\n"
    "                      classes in the settings store\n"
    "  -h, --help          show this help\n"
    "\n"
    "exit status: 0 success, 1 failure, 2 bad usage\n";

struct Options {
  std::string file;
  std::filesystem::path moduleDir;
  bool dump = false;
  bool registerModules = false;
  bool useRegistry = false;
};

// Owns a BSTR for the length of a scope.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view utf8) : b_(kelto::com::AllocBstr(utf8)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR* Put() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  BSTR Get() const { return b_; }
  std::string Utf8() const { return kelto::com::BstrToUtf8(b_); }

 private:
  BSTR b_ = nullptr;
};

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

// The thread's error information of the failed call, if any, as "text
// (0x...)"; just the code otherwise.
std::string Describe(HRESULT hr) {
  ComPtr<IErrorInfo> info;
  std::string text;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) {
    Bstr description;
    if (SUCCEEDED(info->GetDescription(description.Put()))) text = description.Utf8();
  }
  return text.empty() ? Hex(hr) : text + " (" + Hex(hr) + ")";
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "kelto3d-host: %s\n", message.c_str());
  return 1;
}

int BadUsage(const std::string& message) {
  std::fprintf(stderr, "kelto3d-host: %s\n%s", message.c_str(), kUsage);
  return 2;
}

std::filesystem::path DefaultModuleDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return (exe.parent_path() / ".." / "lib").lexically_normal();
}

// Returns 0 and fills *options, or the exit status of a usage error / help.
int ParseArgs(int argc, char** argv, Options* options, bool* done) {
  options->moduleDir = DefaultModuleDir();
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      *done = true;
      return 0;
    } else if (arg == "--dump") {
      options->dump = true;
    } else if (arg == "--register") {
      options->registerModules = true;
    } else if (arg == "--use-registry") {
      options->useRegistry = true;
    } else if (arg == "--module-dir") {
      if (++i == argc) return BadUsage("--module-dir needs a directory");
      options->moduleDir = argv[i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return BadUsage("unknown option " + std::string(arg));
    } else if (options->file.empty()) {
      options->file = arg;
    } else {
      return BadUsage("only one piping file, please");
    }
  }
  if (options->registerModules && options->useRegistry)
    return BadUsage("--register opens the modules; it cannot go with --use-registry");
  if (options->file.empty() && !options->registerModules) return BadUsage("no piping file given");
  return 0;
}

// Opens both modules. A module mapped into the process announces itself to
// the runtime, which then serves its classes and ProgIDs without the settings
// store. The handles stay open: the runtime never unloads a module, and
// objects may still be released during static destruction.
bool LoadModules(const Options& options, std::vector<void*>* handles) {
  for (const char* name : kModules) {
    const std::string path = (options.moduleDir / name).string();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = dlerror();
      Fail("cannot open module: " + std::string(why ? why : path.c_str()) +
           " (use --module-dir, or --use-registry after --register)");
      return false;
    }
    handles->push_back(handle);
  }
  return true;
}

bool RegisterModules(const Options& options, const std::vector<void*>& handles) {
  using EntryPoint = HRESULT (*)();
  for (std::size_t i = 0; i < handles.size(); ++i) {
    const std::string path = (options.moduleDir / kModules[i]).string();
    auto entry = reinterpret_cast<EntryPoint>(dlsym(handles[i], "DllRegisterServer"));
    if (!entry) {
      Fail(path + " exports no DllRegisterServer");
      return false;
    }
    const HRESULT hr = entry();
    if (FAILED(hr)) {
      Fail("registering " + path + " failed: " + Hex(hr));
      return false;
    }
    std::printf("registered %s\n", path.c_str());
  }
  return true;
}

std::string ClassHint(HRESULT hr, bool useRegistry) {
  if (hr != REGDB_E_CLASSNOTREG && hr != CO_E_CLASSSTRING) return "";
  return useRegistry ? " - not registered; run `kelto3d-host --register` once"
                     : " - not registered; is --module-dir right?";
}

// --- the walk -------------------------------------------------------------

const char* KindName(PrimitiveType type) {
  switch (type) {
    case ptLine:
      return "line";
    case ptCone:
      return "cone";
    case ptCurvedCone:
      return "curved cone";
    case ptSnout:
      return "snout";
    case ptCircle:
      return "circle";
  }
  return "other";
}

struct Totals {
  long nodes = 0;
  long pipelines = 0;
  long components = 0;
  long primitives = 0;
  std::map<std::string, long> byKind;
};

// "file <path>", "pipeline <name>", "component <id> (<type>)" or "node",
// from the interfaces the node's object answers to.
std::string NodeLabel(kelto3d::IModelNode* node, Totals* totals) {
  ComPtr<IDispatch> object;
  if (FAILED(node->get_Object(object.Put())) || !object) return "node";
  if (auto file = object.As<IKeltoFile>()) {
    Bstr path;
    file->get_Path(path.Put());
    return "file " + path.Utf8();
  }
  if (auto pipeline = object.As<IKeltoPipeline>()) {
    ++totals->pipelines;
    Bstr name;
    pipeline->get_Name(name.Put());
    return "pipeline " + name.Utf8();
  }
  if (auto component = object.As<IKeltoComponent>()) {
    ++totals->components;
    Bstr id;
    component->get_Id(id.Put());
    std::string label = "component " + id.Utf8();
    ComPtr<IKeltoItem> details;
    Bstr type;
    if (SUCCEEDED(component->get_Details(details.Put())) && details &&
        SUCCEEDED(details->get_TypeName(type.Put())))
      label += " (" + type.Utf8() + ")";
    return label;
  }
  return "node";
}

// "3 primitives: 2 cone, 1 circle", counting into the totals as well.
HRESULT DescribeGeometry(kelto3d::IModelNode* node, Totals* totals, std::string* text) {
  ComPtr<kelto3d::IPrimitives> geometry;
  HRESULT hr = node->get_Geometry(geometry.Put());
  if (FAILED(hr)) return hr;
  LONG count = 0;
  if (FAILED(hr = geometry->get_Count(&count))) return hr;
  std::map<std::string, long> kinds;
  for (LONG i = 0; i < count; ++i) {  // Primitives are 0-based.
    ComPtr<kelto3d::IPrimitive> primitive;
    if (FAILED(hr = geometry->get_Item(i, primitive.Put()))) return hr;
    PrimitiveType type{};
    const char* kind =
        primitive && SUCCEEDED(primitive->get_Type(&type)) ? KindName(type) : "other";
    ++kinds[kind];
    ++totals->byKind[kind];
  }
  totals->primitives += count;
  *text = std::to_string(count) + (count == 1 ? " primitive" : " primitives");
  const char* separator = ": ";
  for (const auto& [kind, n] : kinds) {
    *text += separator + std::to_string(n) + " " + kind;
    separator = ", ";
  }
  return S_OK;
}

HRESULT Walk(kelto3d::IModelNode* node, int depth, Totals* totals) {
  ++totals->nodes;
  const std::string label = NodeLabel(node, totals);
  std::string geometry;
  HRESULT hr = DescribeGeometry(node, totals, &geometry);
  if (FAILED(hr)) return hr;
  std::printf("%*s%s  [%s]\n", depth * 2, "", label.c_str(), geometry.c_str());

  ComPtr<kelto3d::IModelNodes> children;
  if (FAILED(hr = node->get_Children(children.Put()))) return hr;
  LONG count = 0;
  if (FAILED(hr = children->get_Count(&count))) return hr;
  for (LONG i = 1; i <= count; ++i) {  // Positions among children are 1-based.
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    ComPtr<kelto3d::IModelNode> child;
    if (FAILED(hr = children->get_Item(index, child.Put()))) return hr;
    if (FAILED(hr = Walk(child.Get(), depth + 1, totals))) return hr;
  }
  return S_OK;
}

void PrintTotals(const Totals& totals) {
  std::printf("nodes: %ld\npipelines: %ld\ncomponents: %ld\nprimitives: %ld\n", totals.nodes,
              totals.pipelines, totals.components, totals.primitives);
  for (const auto& [kind, n] : totals.byKind) std::printf("  %s: %ld\n", kind.c_str(), n);
}

// --- the host -------------------------------------------------------------

int Run(const Options& options) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(options.file, ec))
    return Fail("piping file not found: " + options.file);

  ComPtr<IKeltoFile> file;
  HRESULT hr = CoCreateInstance(kelto::clsid::KeltoFile, nullptr, CLSCTX_INPROC_SERVER,
                                IidOf<IKeltoFile>(), file.PutVoid());
  if (FAILED(hr))
    return Fail("cannot create KeltoFile: " + Describe(hr) + ClassHint(hr, options.useRegistry));
  {
    Bstr path(options.file);
    if (FAILED(hr = file->Load(path.Get())))
      return Fail("cannot load " + options.file + ": " + Describe(hr));
  }

  Bstr progId(kBuilderProgId);
  CLSID clsid{};
  if (FAILED(hr = CLSIDFromProgID(progId.Get(), &clsid)))
    return Fail(std::string("unknown class ") + kBuilderProgId + ": " + Hex(hr) +
                ClassHint(hr, options.useRegistry));
  ComPtr<kelto3d::ISolidModelBuilder> builder;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IidOf<kelto3d::ISolidModelBuilder>(),
                        builder.PutVoid());
  if (FAILED(hr))
    return Fail(std::string("cannot create ") + kBuilderProgId + ": " + Describe(hr) +
                ClassHint(hr, options.useRegistry));

  ComPtr<kelto3d::IModelNode> model;
  if (FAILED(hr = builder->BuildModel(file.Get(), model.Put())) || !model)
    return Fail("building the model of " + options.file + " failed: " + Describe(hr));

  if (options.dump) {
    Bstr text;
    if (FAILED(hr = model->Dump(text.Put()))) return Fail("Dump failed: " + Describe(hr));
    std::fputs(text.Utf8().c_str(), stdout);
    return 0;
  }
  Totals totals;
  if (FAILED(hr = Walk(model.Get(), 0, &totals)))
    return Fail("walking the model failed: " + Describe(hr));
  PrintTotals(totals);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  bool done = false;
  if (const int status = ParseArgs(argc, argv, &options, &done); status != 0 || done) return status;

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int status = 0;
  std::vector<void*> handles;
  if (!options.useRegistry && !LoadModules(options, &handles)) status = 1;
  if (status == 0 && options.registerModules && !RegisterModules(options, handles)) status = 1;
  if (status == 0 && !options.file.empty()) status = Run(options);
  CoUninitialize();
  return status;
}
