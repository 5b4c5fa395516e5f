// Apartment set-up and the thread locale.
//
// The runtime has a single apartment: every object runs on the thread that
// calls it and nothing is marshalled, so CoInitialize has nothing to set up.
// It still counts its calls per thread, so that the S_OK / S_FALSE answers a
// host relies on to pair its CoUninitialize calls are the platform's. Object
// creation does not require it: hosts written for this runtime need not call
// it at all.
#include "platform/com/Api.h"

namespace {

thread_local int tInitCount = 0;
thread_local LCID tLocale = LOCALE_SYSTEM_DEFAULT;

}  // namespace

KELTO_API HRESULT CoInitializeEx(void* /*pvReserved*/, DWORD /*dwCoInit*/) {
  // Both concurrency models are accepted: with one apartment they coincide.
  return tInitCount++ == 0 ? S_OK : S_FALSE;
}

KELTO_API HRESULT CoInitialize(void* pvReserved) {
  return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

KELTO_API void CoUninitialize() {
  // An unpaired call is ignored rather than driving the count negative.
  if (tInitCount > 0) --tInitCount;
}

KELTO_API LCID GetThreadLocale() { return tLocale; }

KELTO_API BOOL SetThreadLocale(LCID Locale) {
  // An LCID is a 16-bit language id and a 4-bit sort id; anything in the
  // reserved high bits, or no language at all, is not a locale.
  if ((Locale & 0xFFFF) == 0 || (Locale & 0xFFF00000u) != 0) return FALSE;
  tLocale = Locale;
  return TRUE;
}
