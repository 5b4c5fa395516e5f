// CKeltoSymbolCatalogue: the scripting class KeltoSymbolCatalogue
// (IKeltoSymbolCatalogue) over the catalogue shipped with the library
// (kelto/data/Catalogue.h; docs/symbol-catalogue.md explains the data).
//
// DescribeType answers four strings (group, symbol class, default symbol key,
// description), all empty for an unknown type. CountKeyTypes remembers the
// classes of a key for KeyTypeAt, whose index is 1-based; an index outside
// 1 .. the last count fails with DISP_E_BADINDEX. Each object remembers its
// own last list.
#pragma once

#include <span>
#include <string>

#include "kelto/Piping.h"
#include "kelto/com/FaceDispatch.h"
#include "kelto/com/ModuleLock.h"
#include "kelto/com/PipingDispatch.h"
#include "platform/com/Boundary.h"

namespace kelto::faces {

class CKeltoSymbolCatalogue
    : public ComObject<CKeltoSymbolCatalogue, FaceDispatch<IKeltoSymbolCatalogue>,
                       kelto::com::SupportErrorInfo<IKeltoSymbolCatalogue>> {
 public:
  CKeltoSymbolCatalogue();
  ~CKeltoSymbolCatalogue() override;

  // IKeltoSymbolCatalogue
  HRESULT DescribeType(BSTR typeName, BSTR* t1, BSTR* t2, BSTR* t3, BSTR* t4) override;
  HRESULT CountKeyTypes(BSTR key, LONG variant, LONG* count) override;
  HRESULT KeyTypeAt(LONG index, BSTR* keyType) override;

 private:
  // Into the catalogue, which lives as long as the module.
  std::span<const std::string> keyTypes_;
};

}  // namespace kelto::faces
