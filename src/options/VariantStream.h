// The binary VARIANT layout the Options object saves into streams (and into
// the "Contents" stream of a storage), written and read recursively. All
// integers are little-endian with no padding:
//
//   VARTYPE          2 bytes; a by-reference VARIANT is written as the value
//                    it refers to, so VT_BYREF never appears in a stream
//   array            VARTYPE has VT_ARRAY; then the number of dimensions (2
//                    bytes), then per dimension in the order the array
//                    descriptor stores them (rightmost first) the lower bound
//                    (4, signed) and the element count (4); then every
//                    element in storage order. Elements of a VARIANT array
//                    each start with their own VARTYPE; elements of a typed
//                    array are just their data.
//   scalar data      EMPTY, NULL: nothing; I2, BOOL: 2 bytes; I4, ERROR, R4:
//                    4; R8, DATE, CY: 8; UI1: 1; BSTR: its byte length (4)
//                    then the UTF-16LE code units, no terminator; UNKNOWN,
//                    DISPATCH: the object through OleSaveToStream (a null
//                    object as CLSID_NULL), read back with OleLoadFromStream.
//
// Example: the contents of a registry holding one option "Edges" = 16 are
//   0C 20 | 01 00 | 00 00 00 00 | 02 00 00 00 | 08 00 | 0A 00 00 00
//   45 00 64 00 67 00 65 00 73 00 | 03 00 | 10 00 00 00
//
// Failure rules:
// - Saving any other type (I1, I8, DECIMAL, RECORD, ...), an array whose
//   descriptor does not match its VARTYPE, or an object that offers neither
//   IPersistStream nor IPersistStreamInit fails the whole save.
// - Every read and write must move exactly the bytes asked for: a stream
//   that ends early or accepts fewer bytes fails the operation
//   (STG_E_READFAULT / STG_E_WRITEFAULT), never yielding half a value.
// - Reading distrusts the stream. A VARTYPE outside the layout, VT_BYREF, a
//   dimension count of 0 or above kMaxDims, bounds whose upper end overflows
//   a 32-bit index, an element count above kMaxElements, a string above
//   kMaxStringBytes or nesting deeper than kMaxDepth fail with
//   STG_E_DOCFILECORRUPT. Elements and strings are read in pieces and their
//   memory grows with the bytes actually delivered, so a corrupted count in a
//   short stream fails at the stream's end after allocating no more than the
//   stream's size warrants, instead of reserving gigabytes up front.
#pragma once

#include <cstdint>

#include "platform/com/Interfaces.h"

namespace kelto::options {

// Sanity limits of ReadVariant (far above anything an options registry or
// its host writes).
inline constexpr int kMaxDepth = 32;                                   // arrays inside arrays
inline constexpr USHORT kMaxDims = 64;                                 // as SafeArrayCreate
inline constexpr std::uint64_t kMaxElements = std::uint64_t{1} << 24;  // per array
inline constexpr std::uint32_t kMaxStringBytes = std::uint32_t{64} << 20;

// Writes `value` at the stream's position. Null stream: E_POINTER.
HRESULT WriteVariant(IStream* stream, const VARIANT& value) noexcept;

// Reads one VARIANT from the stream's position into *value, an [out]
// parameter: it is overwritten without being freed, and is VT_EMPTY after a
// failure. Null stream or value: E_POINTER.
HRESULT ReadVariant(IStream* stream, VARIANT* value) noexcept;

}  // namespace kelto::options
