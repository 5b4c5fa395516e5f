// The failures the built-in colour schemes raise for unusable components.
// They are _com_errors (what IFColourScheme promises its callers) that carry a
// description, so that a script sees more than "Invalid pointer".
#pragma once

namespace kelto::colour {

// _com_error(E_POINTER, IID of IKeltoComponent): "No component to colour."
[[noreturn]] void ThrowNullComponent();
// _com_error(E_POINTER, IID of IKeltoComponent): "The component has no details."
[[noreturn]] void ThrowNoDetails();

}  // namespace kelto::colour
