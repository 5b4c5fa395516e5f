// libFuzzer harness for the PCF reader: the input is the text of a PCF file.
// Each run loads it strictly and with keep-going into fresh files (every
// fault must become a LoadError naming the line, nothing else may escape),
// and a text that loads is written back as PCF and as JSON and loaded again,
// so the writers and the second reader see what the first one made. The
// checks below catch a load whose message lacks the file name, a keep-going
// load that fails where the strict one passed, and a written plant that
// reads back with another number of components.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "kelto/data/File.h"
#include "kelto/data/JsonWriter.h"
#include "kelto/data/PcfWriter.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Load(kelto::data::File& file, std::string_view text, bool keepGoing) {
  file.SetLoadOptions({keepGoing, 1});
  try {
    file.LoadText(text, "fuzz.pcf");
    return true;
  } catch (const kelto::data::LoadError& e) {
    Check(std::string_view(e.what()).rfind("fuzz.pcf", 0) == 0);
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A leading '{' goes to the JSON loader, which has harnesses of its own.
  std::string text(reinterpret_cast<const char*>(data), size);
  if (!text.empty() && (text[0] == '{' || text[0] == '[' || text[0] == '/')) text[0] = ' ';
  kelto::data::File strict;
  const bool loaded = Load(strict, text, false);
  kelto::data::File lenient;
  const bool loadedLeniently = Load(lenient, text, true);
  Check(!loaded || loadedLeniently);
  if (!loadedLeniently) return 0;
  const std::size_t components = lenient.Components().size();
  try {
    kelto::data::File again;
    Check(Load(again, kelto::data::WritePcf(lenient), false));
    Check(again.Components().size() == components);
  } catch (const std::runtime_error&) {
    // What PCF cannot carry (a keyword with spaces) is refused, not lost.
  }
  kelto::data::File json;
  json.LoadText(kelto::data::WriteJson(lenient), "fuzz.json");
  Check(json.Components().size() == components);
  return 0;
}
