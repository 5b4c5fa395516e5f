#include "symbolic/ComSymbolicModelBuilder.h"

#include <stdexcept>

#include "platform/com/Strings.h"

using kelto::com::HResultError;

HRESULT CComSymbolicModelBuilder::AddSkeldaSymbols(BSTR FileName) {
  // The name is handed on as UTF-8 bytes, the file system's own encoding
  // here, so a file is found by the name a script shows.
  return Guarded([&] {
    try {
      GetObject()->AddSkeldaSymbols(kelto::com::BstrToUtf8(FileName));
    } catch (const std::out_of_range& e) {
      // A line too short for its record is a bad file, not a bad index: every
      // file that cannot be used fails alike, with the reader's message.
      throw HResultError(E_FAIL, e.what());
    }
  });
}

HRESULT CComSymbolicModelBuilder::RemoveSkeldaSymbols(BSTR FileName) {
  return Guarded([&] { GetObject()->RemoveSkeldaSymbols(kelto::com::BstrToUtf8(FileName)); });
}
