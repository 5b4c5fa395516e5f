/* The ready-made container of libkelto3d-runtime.so, for hosts in C or C++.
 * Hosts include it as kelto3d/AxHost.h, which hands this header on.
 *
 * A host gives a ProgID and a parent X11 window and gets the control back,
 * in-place active inside that window: the container makes the client site,
 * sets it first (as the control's status asks), activates the control and
 * shows it. The host then pumps the control's display connection from its
 * own event loop and listens to events through a callback. See
 * docs/embedding.md for the whole pattern and examples/hosts/xlib-host.c for
 * a complete host.
 *
 * Every function returns an HRESULT (0 is success, negative is failure). In
 * C, the object types are opaque and VARIANT / DISPPARAMS have the layout of
 * the scripting ABI (24-byte VARIANT on x86-64).
 */
#ifndef KELTO_COM_AXCONTAINER_H
#define KELTO_COM_AXCONTAINER_H

#ifdef __cplusplus
#include "platform/com/Interfaces.h"
#include "platform/com/Types.h"
#define KELTO_AX_API extern "C" __attribute__((visibility("default")))
#else
#include <stdint.h>
typedef int32_t HRESULT;
typedef int32_t DISPID;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint32_t UINT;
typedef struct IUnknown IUnknown;
typedef struct IDispatch IDispatch;
typedef struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID, IID;
typedef struct VARIANT {
  uint16_t vt;
  uint16_t wReserved1, wReserved2, wReserved3;
  union {
    int64_t llVal;
    int32_t lVal;
    int16_t boolVal; /* VARIANT_BOOL: -1 true, 0 false */
    double dblVal;
    uint16_t* bstrVal; /* UTF-16, length-prefixed */
    IUnknown* punkVal;
    IDispatch* pdispVal;
    void* byref;
    unsigned char pad[16];
  } u;
} VARIANT;
typedef struct DISPPARAMS {
  VARIANT* rgvarg; /* last argument first */
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
} DISPPARAMS;
enum { VT_EMPTY = 0, VT_I4 = 3, VT_R8 = 5, VT_BSTR = 8, VT_DISPATCH = 9, VT_BOOL = 11, VT_UNKNOWN = 13 };
enum { DISPATCH_METHOD = 1, DISPATCH_PROPERTYGET = 2, DISPATCH_PROPERTYPUT = 4 };
#define KELTO_AX_API __attribute__((visibility("default")))
#endif

/* Called once per event, synchronously, with the event's dispid and its
 * arguments (last first); the arguments belong to the caller. */
typedef void (*KeltoAxEventProc)(void* context, DISPID dispid, const DISPPARAMS* params);

/* Creates the class of progId (UTF-8), loaded modules first, then registered
 * ones, and activates it in place inside parent on the named display (NULL:
 * $DISPLAY). *control receives the control's IUnknown. */
KELTO_AX_API HRESULT KeltoAxCreateControl(const char* progId, const char* displayName,
                                          unsigned long parent, IUnknown** control);
/* The descriptor to watch for readability, and the call to make when it is
 * readable (and once after creation); never blocks. */
KELTO_AX_API HRESULT KeltoAxGetConnectionNumber(IUnknown* control, int* fd);
KELTO_AX_API HRESULT KeltoAxDispatchPending(IUnknown* control);
/* Connects a callback to the event interface events of control. */
KELTO_AX_API HRESULT KeltoAxAdvise(IUnknown* control, const IID* events, KeltoAxEventProc proc,
                                   void* context, DWORD* cookie);
KELTO_AX_API HRESULT KeltoAxUnadvise(IUnknown* control, const IID* events, DWORD cookie);
/* Deactivates the control (its window goes) and lets go of its site; the
 * host still releases its own reference. */
KELTO_AX_API HRESULT KeltoAxDestroyControl(IUnknown* control);
/* A new object of the class of progId (UTF-8), as CoCreateInstance makes it;
 * *object receives its IUnknown. */
KELTO_AX_API HRESULT KeltoAxCreateObject(const char* progId, IUnknown** object);
/* Releases a reference (null is ignored). */
KELTO_AX_API void KeltoAxRelease(IUnknown* object);
/* *v becomes the text utf8 (VT_BSTR); KeltoAxClear frees it. */
KELTO_AX_API HRESULT KeltoAxSetText(VARIANT* v, const char* utf8);
/* The value of v as UTF-8 text, converted as VariantChangeType converts to
 * text, cut to fit buffer (always terminated). */
KELTO_AX_API HRESULT KeltoAxGetText(const VARIANT* v, char* buffer, UINT size);
KELTO_AX_API void KeltoAxClear(VARIANT* v);
/* Late-bound call of member name (UTF-8) on object: flags as IDispatch
 * takes them, args in their natural order (first first), result may be NULL.
 * A property put passes the value as its last argument. */
KELTO_AX_API HRESULT KeltoAxInvoke(IUnknown* object, const char* name, WORD flags, UINT argc,
                                   const VARIANT* args, VARIANT* result);

#endif
