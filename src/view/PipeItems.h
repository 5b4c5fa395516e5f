// CPipeItems: the scripting class PipeItems (IPipeItems), an ordered list of
// objects each held by a reference. The view control keeps its selection in
// one (SelectedItems) and hands a new one with each pop-up menu request.
//
// Scripts only read it; the control changes it through the C++ members
// below. Entries are compared by pointer: the control always stores an
// object's IDispatch as QueryInterface gives it, so one object is one entry.
#pragma once

#include <vector>

#include "com/ModuleLock.h"
#include "kelto3d/View.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"

class CPipeItems : public kelto3d::ComObject<CPipeItems, kelto::com::Dual<kelto3d::IPipeItems>,
                                             kelto::com::SupportErrorInfo<kelto3d::IPipeItems>> {
 public:
  // IPipeItems
  HRESULT get_Count(LONG* pVal) override;
  HRESULT get_Item(LONG n, IDispatch** pVal) override;
  HRESULT get__NewEnum(IUnknown** ppEnum) override;

  // Appends item unless it is there already (a null item is not stored);
  // returns whether it was appended.
  bool Add(IDispatch* item);
  // Appends item even when it is there (pop-up lists keep one entry per hit).
  void Append(IDispatch* item);
  // Removes the entry; returns whether there was one.
  bool Remove(IDispatch* item);
  bool Contains(IDispatch* item) const;
  void Clear() { m_items.clear(); }
  const std::vector<kelto::com::ComPtr<IDispatch>>& Items() const { return m_items; }

 private:
  std::vector<kelto::com::ComPtr<IDispatch>> m_items;
};
