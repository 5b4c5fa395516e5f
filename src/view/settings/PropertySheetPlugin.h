// The contract between the module and the plugin that shows property sheets
// in a toolkit (plugins/qt builds libkelto3d-qt.so). The module loads the
// plugin on demand with dlopen and calls one C function, so that nothing of
// the module links the toolkit.
#pragma once

#include <cstddef>

#include "platform/com/PropertyPage.h"

struct KeltoPropertySheetRequest {
  ULONG cb;                 // sizeof(KeltoPropertySheetRequest)
  const OLECHAR* caption;   // the sheet's window title
  IUnknown* object;         // the object every page edits
  IPropertyPage** pages;    // one tab each, in order
  ULONG pageCount;
  LCID locale;              // what the site's GetLocaleID answers
  // The X11 window the sheet belongs to (kept above it by the window
  // manager), 0 for none. Read only when cb covers it.
  unsigned long ownerWindow;
};

// Shows the sheet modally and returns when it is closed: S_OK after OK,
// S_FALSE after Cancel or closing the window, a failure (with a message in
// `error`, a buffer of errorSize bytes, UTF-8) when it cannot be shown (no
// display, a host application object without widgets).
using KeltoShowPropertySheetFn = HRESULT (*)(const KeltoPropertySheetRequest* request,
                                            char* error, std::size_t errorSize);

inline constexpr char kPropertySheetEntry[] = "KeltoShowPropertySheet";
inline constexpr char kPropertySheetPlugin[] = "libkelto3d-qt.so";
