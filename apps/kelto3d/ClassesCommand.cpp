#include "ClassesCommand.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"
#include "platform/com/TypeInfo.h"
#include "platform/registry/Key.h"

namespace kelto::cli {

namespace {

using kelto::com::ComPtr;
using kelto::registry::Key;

std::string Take(BSTR b) {
  std::string text = kelto::com::BstrToUtf8(b);
  SysFreeString(b);
  return text;
}

std::string TypeName(ITypeInfo* info) {
  BSTR name = nullptr;
  info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
  return Take(name);
}

// The highest registered version of a type library, or nothing.
std::optional<std::pair<WORD, WORD>> LatestVersion(const std::string& libid) {
  std::optional<std::pair<WORD, WORD>> best;
  for (const std::string& name : Key::Open(HKEY_CLASSES_ROOT, "TypeLib\\" + libid).SubKeyNames()) {
    unsigned major = 0, minor = 0;
    char tail = 0;
    if (std::sscanf(name.c_str(), "%x.%x%c", &major, &minor, &tail) != 2) continue;
    const std::pair<WORD, WORD> v{static_cast<WORD>(major), static_cast<WORD>(minor)};
    if (!best || v > *best) best = v;
  }
  return best;
}

// The libraries opened so far, by library id.
using Libraries = std::map<std::string, ComPtr<ITypeLib>>;

ComPtr<ITypeLib> Library(const std::string& libid, Libraries* cache) {
  auto it = cache->find(libid);
  if (it != cache->end()) return it->second;
  ComPtr<ITypeLib> lib;
  const auto guid = kelto::com::ParseGuid(libid);
  const auto version = LatestVersion(libid);
  if (guid && version) LoadRegTypeLib(*guid, version->first, version->second, 0, lib.Put());
  (*cache)[libid] = lib;
  return lib;
}

// "Name(a, [b])" for a method, "Name" with its kinds for a property.
void PrintMembers(ITypeInfo* iface, std::ostream& out) {
  TYPEATTR* attr = nullptr;
  if (FAILED(iface->GetTypeAttr(&attr))) return;
  struct Member {
    std::string text;
    std::string kinds;
  };
  std::vector<std::pair<MEMBERID, Member>> members;  // in table order
  for (UINT f = 0; f < attr->cFuncs; ++f) {
    FUNCDESC* func = nullptr;
    if (FAILED(iface->GetFuncDesc(f, &func))) continue;
    BSTR names[32] = {};
    UINT count = 0;
    iface->GetNames(func->memid, names, 32, &count);
    std::vector<std::string> text;
    for (UINT i = 0; i < count; ++i) text.push_back(Take(names[i]));
    auto it = std::find_if(members.begin(), members.end(),
                           [&](const auto& m) { return m.first == func->memid; });
    if (it == members.end()) {
      members.push_back({func->memid, {}});
      it = members.end() - 1;
    }
    Member& m = it->second;
    // A method, and a property indexed by parameters, with their names.
    if (func->invkind == INVOKE_FUNC || (func->invkind == INVOKE_PROPERTYGET && func->cParams)) {
      m.text = text.empty() ? "?" : text[0];
      m.text += "(";
      for (SHORT p = 0; p < func->cParams; ++p) {
        const bool optional = func->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FOPT;
        const std::size_t name = static_cast<std::size_t>(p) + 1;
        m.text += (p ? ", " : "") + std::string(optional ? "[" : "") +
                  (name < text.size() ? text[name] : "?") + (optional ? "]" : "");
      }
      m.text += ")";
    }
    if (func->invkind != INVOKE_FUNC) {
      if (m.text.empty()) m.text = text.empty() ? "?" : text[0];
      const char* kind = func->invkind == INVOKE_PROPERTYGET   ? "get"
                         : func->invkind == INVOKE_PROPERTYPUT ? "put"
                                                               : "putref";
      m.kinds += (m.kinds.empty() ? "" : ", ") + std::string(kind);
    }
    iface->ReleaseFuncDesc(func);
  }
  iface->ReleaseTypeAttr(attr);
  for (const auto& [id, m] : members)
    out << "    " << m.text << (m.kinds.empty() ? "" : "  (" + m.kinds + ")") << "\n";
}

void PrintClass(const std::string& clsid, const Key& key, Libraries* libraries, std::ostream& out) {
  const Key server = Key::Open(key.Get(), "InprocServer32");
  out << key.GetString("").value_or(clsid) << "\n";
  out << "  class id  " << clsid << "\n";
  const auto progId = Key::Open(key.Get(), "ProgID").GetString("");
  const auto independent = Key::Open(key.Get(), "VersionIndependentProgID").GetString("");
  if (progId) out << "  ProgID    " << *progId << (independent ? ", " + *independent : "") << "\n";
  out << "  module    " << server.GetString("").value_or("?") << "\n";
  const auto libid = Key::Open(key.Get(), "TypeLib").GetString("");
  if (!libid) return;
  ComPtr<ITypeLib> lib = Library(*libid, libraries);
  const auto guid = kelto::com::ParseGuid(clsid);
  ComPtr<ITypeInfo> coclass, iface;
  HREFTYPE ref = 0;
  if (!lib || !guid || FAILED(lib->GetTypeInfoOfGuid(*guid, coclass.Put())) ||
      FAILED(coclass->GetRefTypeOfImplType(0, &ref)) ||
      FAILED(coclass->GetRefTypeInfo(ref, iface.Put()))) {
    out << "  members   (no type information)\n";
    return;
  }
  out << "  members of " << TypeName(iface.Get()) << "\n";
  PrintMembers(iface.Get(), out);
  // The events the class sends: its source interfaces.
  TYPEATTR* attr = nullptr;
  if (FAILED(coclass->GetTypeAttr(&attr))) return;
  const UINT implemented = attr->cImplTypes;
  coclass->ReleaseTypeAttr(attr);
  for (UINT i = 1; i < implemented; ++i) {
    INT flags = 0;
    ComPtr<ITypeInfo> events;
    if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || !(flags & IMPLTYPEFLAG_FSOURCE) ||
        FAILED(coclass->GetRefTypeOfImplType(i, &ref)) ||
        FAILED(coclass->GetRefTypeInfo(ref, events.Put())))
      continue;
    out << "  events of " << TypeName(events.Get()) << "\n";
    PrintMembers(events.Get(), out);
  }
}

}  // namespace

std::string CClassesCommand::Description() const {
  return "Lists every class registered for you or for this machine: its name, class id, "
         "ProgIDs and module, and the members of the interface it is used through, as the "
         "module's type information describes them (methods with their parameters, optional "
         "ones in brackets; properties with get, put or putref).";
}

int CClassesCommand::Run(std::ostream& out, std::ostream& /*err*/) {
  const Key root = Key::Open(HKEY_CLASSES_ROOT, "CLSID");
  Libraries libraries;
  int listed = 0;
  for (const std::string& clsid : root.SubKeyNames()) {
    const Key key = Key::Open(root.Get(), clsid);
    // Only classes a host can create here: those with an in-process server.
    if (!Key::Open(key.Get(), "InprocServer32")) continue;
    if (listed++) out << "\n";
    PrintClass(clsid, key, &libraries, out);
  }
  if (!listed) out << "no classes are registered (run `kelto3d register`)\n";
  return out ? 0 : 1;
}

std::unique_ptr<CCommand> MakeClassesCommand() { return std::make_unique<CClassesCommand>(); }

}  // namespace kelto::cli
