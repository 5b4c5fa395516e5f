// Persistence of an options contents array (COptions::GetContents) through
// the standard containers, kept apart from the scripting class so that its
// IPersistPropertyBag / IPersistStreamInit / IPersistStorage members only
// move contents between these functions and its registry.
//
// Property bag layout: "Length" = n (VT_I4), then for i = 0 … n − 1 the
// properties "<i>.Name" (the option's name, VT_BSTR) and "<i>.Value" (its
// value as the option gives it), i in decimal without leading zeros, written
// in the order 0.Name, 0.Value, 1.Name, 1.Value, ...
//
// Stream layout: the contents VARIANT as VariantStream.h describes it.
// Storage layout: that stream, named "Contents", in the storage.
//
// Every function returns an HRESULT and throws nothing. Reading functions
// fill an [out] VARIANT (overwritten without being freed; VT_EMPTY after a
// failure).
#pragma once

#include "platform/com/Interfaces.h"

namespace kelto::options {

// The name of the stream that holds the contents inside a storage.
inline constexpr char16_t kContentsStreamName[] = u"Contents";

// The most pairs LoadContentsFromBag accepts in "Length". A bag claims a
// count it may not hold, and every announced pair costs two reads; the bound
// keeps a corrupted count from turning a load into billions of reads.
inline constexpr LONG kMaxBagPairs = 65536;

// The array of a contents VARIANT: VT_ARRAY | VT_VARIANT (also through one
// level of VT_BYREF), one dimension, an even number of elements. Null when
// `contents` is anything else.
SAFEARRAY* ContentsArrayOf(const VARIANT& contents) noexcept;

// Writes the pairs of a contents array into the bag. The first failing Write
// stops the save and is returned; what was written so far stays in the bag.
HRESULT SaveContentsToBag(IPropertyBag* bag, const VARIANT& contents) noexcept;

// Reads "Length" (converted to VT_I4; its failure is returned, a value below
// 0 or above kMaxBagPairs gives E_INVALIDARG), then each pair, and builds a
// contents array of the pairs found in index order. A pair is skipped when
// either of its properties cannot be read or comes back empty (VT_EMPTY or
// VT_NULL): bags over stores that hold no value for a missing name answer
// with an empty VARIANT instead of a failure, and an empty value would
// otherwise be converted into a setting of 0. errorLog may be null.
HRESULT LoadContentsFromBag(IPropertyBag* bag, IErrorLog* errorLog, VARIANT* contents) noexcept;

// Creates (replacing) the "Contents" stream in the storage and writes the
// contents into it.
HRESULT SaveContentsToStorage(IStorage* storage, const VARIANT& contents) noexcept;

// Opens the "Contents" stream (missing: the storage's STG_E_FILENOTFOUND) and
// reads the contents from it.
HRESULT LoadContentsFromStorage(IStorage* storage, VARIANT* contents) noexcept;

}  // namespace kelto::options
