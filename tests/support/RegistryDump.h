// The settings store below a key as sorted text lines, read back through the
// registry functions, so a test can compare what registration wrote with a
// table of what it should have written:
//   CLSID\{…}                        a key
//   CLSID\{…}\InprocServer32 @ = …   its default value
//   CLSID\{…}\InprocServer32 ThreadingModel = Apartment
#pragma once

#include <set>
#include <string>

#include "platform/registry/Key.h"

namespace kelto::test {

inline void DumpKey(const kelto::registry::Key& key, const std::string& path,
                    std::set<std::string>* out) {
  if (!path.empty()) out->insert(path);
  for (const std::string& name : key.ValueNames()) {
    const auto text = key.GetString(name);
    out->insert(path + " " + (name.empty() ? "@" : name) + " = " + text.value_or("<not text>"));
  }
  for (const std::string& child : key.SubKeyNames()) {
    const std::string childPath = path.empty() ? child : path + "\\" + child;
    DumpKey(kelto::registry::Key::Open(key.Get(), child), childPath, out);
  }
}

// Everything below root\path ("" for the root itself), paths relative to it.
inline std::set<std::string> DumpRegistry(HKEY root, const std::string& path = "") {
  std::set<std::string> out;
  kelto::registry::Key key = kelto::registry::Key::Open(root, path);
  if (key) DumpKey(key, "", &out);
  return out;
}

}  // namespace kelto::test
