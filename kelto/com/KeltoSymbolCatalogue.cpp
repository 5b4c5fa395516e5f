#include "kelto/com/KeltoSymbolCatalogue.h"

#include <array>
#include <utility>

#include "kelto/com/Face.h"
#include "kelto/data/Catalogue.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

namespace kelto::faces {

using kelto::com::HResultError;

namespace {

template <class F>
HRESULT Guarded(F&& body) noexcept {
  return kelto::com::Guard(kelto::clsid::KeltoSymbolCatalogue,
                           kelto::com::IidOf<IKeltoSymbolCatalogue>(), std::forward<F>(body));
}

}  // namespace

CKeltoSymbolCatalogue::CKeltoSymbolCatalogue() = default;
CKeltoSymbolCatalogue::~CKeltoSymbolCatalogue() = default;

HRESULT CKeltoSymbolCatalogue::DescribeType(BSTR typeName, BSTR* t1, BSTR* t2, BSTR* t3, BSTR* t4) {
  return Guarded([&] {
    const std::array<BSTR*, 4> outs{t1, t2, t3, t4};
    for (BSTR* out : outs) RequireOut(out);
    const auto texts =
        kelto::data::Catalogue::Default().DescribeType(kelto::com::BstrToUtf8(typeName));
    // All four strings are made before any is handed out, so a failure leaves
    // the caller with nothing to free.
    std::array<_bstr_t, 4> made;
    for (std::size_t i = 0; i < made.size(); ++i) made[i] = _bstr_t(texts[i]);
    for (std::size_t i = 0; i < made.size(); ++i) *outs[i] = made[i].Detach();
  });
}

HRESULT CKeltoSymbolCatalogue::CountKeyTypes(BSTR key, LONG variant, LONG* count) {
  return Guarded([&] {
    RequireOut(count);
    keyTypes_ = kelto::data::Catalogue::Default().KeyTypes(kelto::com::BstrToUtf8(key), variant);
    *count = static_cast<LONG>(keyTypes_.size());
  });
}

HRESULT CKeltoSymbolCatalogue::KeyTypeAt(LONG index, BSTR* keyType) {
  return Guarded([&] {
    RequireOut(keyType);
    *keyType = nullptr;
    if (index < 1 || static_cast<std::size_t>(index) > keyTypes_.size())
      throw HResultError(DISP_E_BADINDEX, "Invalid key type index " + std::to_string(index) +
                                              ": the last CountKeyTypes gave " +
                                              std::to_string(keyTypes_.size()) +
                                              " (indices start at 1).");
    *keyType = NewBstr(keyTypes_[static_cast<std::size_t>(index) - 1]);
  });
}

}  // namespace kelto::faces
