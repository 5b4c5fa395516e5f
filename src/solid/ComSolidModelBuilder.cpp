#include "solid/ComSolidModelBuilder.h"

#include "platform/com/Strings.h"

HRESULT CComSolidModelBuilder::SetCGBConfig(BSTR ConfigXML) {
  return Guarded([&] { GetObject()->SetTypeTableConfig(kelto::com::BstrToUtf8(ConfigXML)); });
}
