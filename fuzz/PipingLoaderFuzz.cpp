// libFuzzer harness for the piping JSON loader: the input is the text of a
// piping file. It must load or fail with a LoadError that says something;
// nothing else may escape, and a file that loads must be self-consistent
// (every connection mutual, every route made of its pipeline's components).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kelto/data/File.h"
#include "kelto/data/LoadError.h"
#include "kelto/data/Pipeline.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kelto::data::File file;
  try {
    file.LoadText(text, "fuzz.json");
  } catch (const kelto::data::LoadError& e) {
    Check(*e.what() != '\0');
    return 0;
  }
  for (const auto& point : file.AllPoints()) {
    if (const auto* other = file.ConnectedPoint(point)) {
      Check(file.ConnectedPoint(*other) == &point);
      Check(&file.OwnerOf(*other) != &file.OwnerOf(point));
    }
  }
  for (const auto* pipeline : file.Pipelines())
    for (const auto& route : pipeline->Routes())
      for (const auto& entry : route)
        Check(entry.component && &entry.component->OwnerPipeline() == pipeline);
  return 0;
}
