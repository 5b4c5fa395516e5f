// FaceCollection<Derived, I, ItemI>: Count, Item and _NewEnum of a
// collection face, over three members of Derived:
//
//   std::size_t Size();                          // items in the collection
//   ComPtr<ItemI> At(std::size_t position);      // 0 <= position < Size()
//   ComPtr<ItemI> Named(const std::string& name) // when Derived::kByName
//
// Item's VARIANT index (read through VT_BYREF):
//   - a string, for collections by name (points, attributes): a name, exact
//     and case-sensitive; a name the collection lacks gives S_OK and null;
//   - anything else (a string too, for the other collections) is converted
//     to a 0-based VT_I4 position with VariantChangeType; a value that does
//     not convert fails with the conversion's HRESULT (DISP_E_TYPEMISMATCH),
//     one outside 0 .. Count - 1 (or beyond the 32-bit range) with
//     DISP_E_BADINDEX. Both leave error info.
// _NewEnum enumerates the items as VT_DISPATCH, in order, over a snapshot.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "kelto/com/Face.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Variant.h"

namespace kelto::faces {

struct CollectionIndex {
  bool byName = false;
  std::string name;  // UTF-8, when byName
  LONG position = 0;
};

// Reads Item's index as described above (throws on a bad one).
CollectionIndex ReadIndex(const VARIANT& index, bool namesAllowed);
// DISP_E_BADINDEX with a message unless 0 <= position < size.
void CheckPosition(LONG position, std::size_t size);

template <class Derived, class I, class ItemI>
class FaceCollection : public Face<Derived, I> {
 public:
  HRESULT get_Count(LONG* count) override {
    return this->Guarded([&] {
      RequireOut(count);
      *count = static_cast<LONG>(Self().Size());
    });
  }

  HRESULT get_Item(VARIANT index, ItemI** item) override {
    return this->Guarded([&] {
      RequireOut(item);
      *item = nullptr;
      const CollectionIndex at = ReadIndex(index, Derived::kByName);
      if constexpr (Derived::kByName) {
        if (at.byName) {
          HandOut(Self().Named(at.name), item);
          return;
        }
      }
      CheckPosition(at.position, Self().Size());
      HandOut(Self().At(static_cast<std::size_t>(at.position)), item);
    });
  }

  HRESULT get__NewEnum(IUnknown** items) override {
    return this->Guarded([&] {
      RequireOut(items);
      *items = nullptr;
      const std::size_t n = Self().Size();
      std::vector<_variant_t> faces;
      faces.reserve(n);
      for (std::size_t i = 0; i < n; ++i) {
        kelto::com::ComPtr<ItemI> face = Self().At(i);
        faces.emplace_back(static_cast<IDispatch*>(face.Get()));
      }
      std::vector<VARIANT> adopted;
      adopted.reserve(n);
      for (_variant_t& face : faces) adopted.push_back(face.Detach());
      IEnumVARIANT* e = nullptr;
      kelto::com::ThrowIfFailed(kelto::com::CreateEnumVariant(std::move(adopted), &e));
      *items = e;
    });
  }

 protected:
  using Face<Derived, I>::Face;

 private:
  Derived& Self() { return static_cast<Derived&>(*this); }
};

}  // namespace kelto::faces
