#include "colour/GroupColScheme.h"

#include <map>
#include <string_view>

#include "colour/SchemeErrors.h"
#include "kelto/Piping.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

namespace {

constexpr std::int32_t kWhite = 0xFFFFFF;

// Group name → colour (0x00BBGGRR). Built on first use and shared by every
// instance; a function-local static is initialised once even if two threads
// race to the first lookup.
const std::map<std::u16string_view, std::int32_t>& GroupTable() {
  static const std::map<std::u16string_view, std::int32_t> table = {
      {u"Pipe", 0x00FF00},           // green
      {u"Fittings", 0xFFFF00},       // cyan
      {u"Flanges", 0xFF00FF},        // magenta
      {u"Gaskets", 0xFF00FF},        // magenta
      {u"Valves", 0xFF00FF},         // magenta
      {u"Instruments", 0xFF0000},    // blue
      {u"Miscellaneous", 0xFF00FF},  // magenta
      {u"Supports", 0x00FFFF},       // yellow
      {u"Bolts", 0x00FFFF},          // yellow
      {u"Welds", 0x00FFFF},          // yellow
  };
  return table;
}

}  // namespace

cptr::counted_ptr<CGroupColScheme, 1> CGroupColScheme::Create() {
  return cptr::counted_ptr<CGroupColScheme, 1>(new CGroupColScheme());
}

std::int32_t CGroupColScheme::ColourOfGroup(std::u16string_view group) {
  const auto& table = GroupTable();
  const auto found = table.find(group);
  return found == table.end() ? kWhite : found->second;
}

std::int32_t CGroupColScheme::GetColour(IKeltoComponent* component) {
  if (!component) kelto::colour::ThrowNullComponent();
  kelto::com::ComPtr<IKeltoItem> details;
  kelto::com::ThrowIfFailed(component->get_Details(details.Put()), component,
                            kelto::com::IidOf<IKeltoComponent>());
  if (!details) kelto::colour::ThrowNoDetails();
  _bstr_t group;
  kelto::com::ThrowIfFailed(details->get_GroupName(group.GetAddress()), details.Get(),
                            kelto::com::IidOf<IKeltoItem>());
  return ColourOfGroup(kelto::com::BstrView(group.GetBSTR()));
}
