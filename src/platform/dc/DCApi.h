// The device-context functions libkelto3d-runtime.so exports for hosts, in the
// manner of the platform's graphics API: make a device context, hand its
// handle to DrawToDC, finish it, delete it. A host in C or Python (ctypes)
// needs no cairo of its own to print or export a view.
//
// Handles are the 32-bit values of the device-context handle table
// (DCHandleTable.h), 1..0x7FFFFFFF, so they pass through a scripting int
// unchanged; 0 means failure. Every failure records error information (read it
// with GetErrorInfo) whose description names the file or the handle and the
// problem.
//
// Units: pixels for image, PNG and window targets; points (1/72 inch) for PDF
// and SVG pages, the unit a drawing's rectangle is given in there as well.
#pragma once

#include "platform/com/Types.h"

// Target kinds of KeltoCreateFileDC.
inline constexpr int KELTO_DC_PNG = 1;
inline constexpr int KELTO_DC_PDF = 2;
inline constexpr int KELTO_DC_SVG = 3;

// An image in memory, width × height pixels, black. 0 on failure (size out of
// 1..32767).
KELTO_API UINT KeltoCreateImageDC(int width, int height);

// A PNG (pixels), PDF or SVG (points) file, written by KeltoFinishDC or
// KeltoDeleteDC. The file is created at once for PDF and SVG, at finishing for
// PNG. 0 on failure (unknown kind, bad size, file that cannot be created).
KELTO_API UINT KeltoCreateFileDC(const char* path, int kind, double width, double height);

// Draws into an existing X11 window of the display connection (an Xlib
// Display*), which stays the host's and must outlive the device context. 0 on
// failure (no display, no such window).
KELTO_API UINT KeltoCreateWindowDC(void* display, unsigned long window);

// The target's size in its units (see above).
KELTO_API HRESULT KeltoGetDCSize(UINT hdc, double* width, double* height);

// Copies an image or PNG target's pixels into buffer: height rows of width × 4
// bytes, top row first, each pixel B, G, R, 0xFF. bufferSize below width ×
// height × 4 gives E_INVALIDARG and copies nothing; other targets hold no
// pixels to read (E_INVALIDARG).
KELTO_API HRESULT KeltoGetDCPixels(UINT hdc, BYTE* buffer, UINT bufferSize);

// Completes the target: writes the PNG, closes the PDF or SVG, flushes the
// window. S_OK, or E_FAIL with error information naming the file and the
// cause (disk full, no permission, ...). Once finished, a file target takes
// no more drawing; finishing again repeats the first answer.
KELTO_API HRESULT KeltoFinishDC(UINT hdc);

// Finishes the target if that was not done (its failure is returned as by
// KeltoFinishDC, and the context is freed all the same) and frees the handle.
// E_HANDLE for a handle this API did not make or already freed.
KELTO_API HRESULT KeltoDeleteDC(UINT hdc);

// Frees the handle without finishing the target, for a drawing that failed
// half-way: a file target leaves the previous file (if any) as it was and no
// temporary behind. E_HANDLE for a handle this API did not make or already
// freed.
KELTO_API HRESULT KeltoAbandonDC(UINT hdc);
