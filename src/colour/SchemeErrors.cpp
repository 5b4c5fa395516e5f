#include "colour/SchemeErrors.h"

#include <string_view>

#include "kelto/Piping.h"
#include "platform/com/ComError.h"
#include "platform/com/ErrorInfo.h"

namespace kelto::colour {

namespace {

[[noreturn]] void ThrowPointerError(std::string_view message) {
  const IID& iid = kelto::com::IidOf<IKeltoComponent>();
  // The description travels in the thread's error information, which
  // ThrowComError takes into the exception; the boundary that reports it
  // puts its own class in as the source.
  kelto::com::SetError(GUID_NULL, iid, message);
  kelto::com::ThrowComError(E_POINTER, iid);
}

}  // namespace

void ThrowNullComponent() { ThrowPointerError("No component to colour."); }

void ThrowNoDetails() { ThrowPointerError("The component has no details."); }

}  // namespace kelto::colour
