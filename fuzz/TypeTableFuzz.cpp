// libFuzzer harness for the component-type table: the input is the XML text
// of a type-table configuration. Loading must never throw; a problem is shown
// through the message box (recorded here, never shown) and must say
// something. Every entry that loads names a type, and its function is either
// one of the construction functions or null (an unknown name, reported).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/window/MessageBox.h"
#include "solid/ComponentGeometryBuilder.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view xml(reinterpret_cast<const char*>(data), size);
  kelto::window::ScopedMessageBoxHandler quiet([&](std::string_view title, std::string_view text) {
    Check(!title.empty() && !text.empty());
  });
  CKelto3ComponentGeometryBuilder builder;
  builder.SetConfig(xml);
  for (const auto& [type, entry] : builder.GetTypeTable()) {
    const auto function = CKelto3ComponentGeometryBuilder::FindFunction(entry.functionName);
    Check(entry.function == function);
  }
  return 0;
}
