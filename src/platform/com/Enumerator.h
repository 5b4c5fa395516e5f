// SnapshotEnumerator: the one implementation behind IEnumVARIANT,
// IEnumConnections and IEnumConnectionPoints. It walks an immutable list of
// items taken when the enumerator was made, so later changes to the source
// collection never invalidate a running enumeration. Clones share the list
// and copy the position; each then moves on its own.
//
// Next(celt, out, fetched) copies up to celt items into out (each a new copy
// the caller owns); it answers S_OK when celt items came, S_FALSE when fewer
// did. fetched may be null only when celt is 1. Skip past the end stops at
// the end and answers S_FALSE. A copy that fails midway releases what was
// already copied and leaves the position where it was.
//
// Traits supplies the stored item type and how to copy one out:
//   using Stored = ...;
//   static HRESULT CopyOut(const Stored&, Item* out);  // out is uninitialised
//   static void Free(Item* out);                       // undoes CopyOut
#pragma once

#include <memory>
#include <new>
#include <vector>

#include "platform/com/Object.h"

namespace kelto::com {

template <class IEnum, class Item, class Traits>
class SnapshotEnumerator final : public Object<SnapshotEnumerator<IEnum, Item, Traits>, IEnum> {
 public:
  using Stored = typename Traits::Stored;
  using Items = std::shared_ptr<const std::vector<Stored>>;

  explicit SnapshotEnumerator(Items items, std::size_t position = 0)
      : items_(std::move(items)), pos_(position) {}

  HRESULT Next(ULONG celt, Item* out, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (!fetched && celt != 1) return E_POINTER;
    if (celt == 0) return S_OK;
    if (!out) return E_POINTER;
    const std::size_t available = items_->size() - pos_;
    const std::size_t n = celt < available ? celt : available;
    for (std::size_t i = 0; i < n; ++i) {
      const HRESULT hr = Traits::CopyOut((*items_)[pos_ + i], &out[i]);
      if (FAILED(hr)) {
        while (i > 0) Traits::Free(&out[--i]);
        return hr;
      }
    }
    pos_ += n;
    if (fetched) *fetched = static_cast<ULONG>(n);
    return n == celt ? S_OK : S_FALSE;
  }

  HRESULT Skip(ULONG celt) override {
    const std::size_t available = items_->size() - pos_;
    if (celt > available) {
      pos_ = items_->size();
      return S_FALSE;
    }
    pos_ += celt;
    return S_OK;
  }

  HRESULT Reset() override {
    pos_ = 0;
    return S_OK;
  }

  HRESULT Clone(IEnum** ppEnum) override {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    try {
      *ppEnum = MakeObject<SnapshotEnumerator>(items_, pos_).Detach();
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

 private:
  Items items_;
  std::size_t pos_;
};

}  // namespace kelto::com
