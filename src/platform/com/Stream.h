// Byte streams of the object-model runtime: a growable memory stream
// (CreateStreamOnHGlobal) and a stream over a file (SHCreateStreamOnFileEx),
// both implementing IStream, plus the helpers persistence code reads and
// writes through.
//
// Read follows the platform: at the end of a stream it succeeds with fewer
// bytes than asked (possibly none), and the caller learns the count from
// pcbRead. Persistence code must not mistake a truncated stream for data, so
// it goes through ReadExact / WriteExact, which turn a short transfer into
// STG_E_READFAULT / STG_E_WRITEFAULT.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/Interfaces.h"

namespace kelto::com {

// The shared contents of a memory stream. Clones of a stream, and every
// stream opened on the same element of a memory storage, share one buffer.
using StreamBuffer = std::shared_ptr<std::vector<BYTE>>;

// Access of a memory stream, from the STGM_READ / STGM_WRITE /
// STGM_READWRITE bits of an open mode.
struct StreamAccess {
  bool read = true;
  bool write = true;
  static StreamAccess FromMode(DWORD grfMode);
};

// A memory stream over `buffer` (a new empty one when null), positioned at 0.
// `name` is what Stat reports as the stream's name (empty: none); storages
// give their element's name.
ComPtr<IStream> MakeMemoryStream(StreamBuffer buffer = nullptr, std::u16string name = {},
                                 StreamAccess access = {});
// A memory stream holding a copy of `bytes`, positioned at 0.
ComPtr<IStream> MakeMemoryStream(std::span<const BYTE> bytes);

// The whole contents of a stream. For a memory stream the bytes come straight
// from its buffer; any other stream is read from its start through Seek and
// Read, and its position is restored afterwards. Throws std::runtime_error
// when the stream cannot be read that way.
std::vector<BYTE> MemoryStreamBytes(IStream* stream);

// Reads exactly cb bytes or fails: a stream error is passed on, a stream that
// ends early gives STG_E_READFAULT. Partial reads before the end are retried,
// so a stream that delivers its data in pieces still works. Null stream or
// buffer (with cb > 0): E_POINTER.
HRESULT ReadExact(IStream* stream, void* pv, ULONG cb);
// Writes exactly cb bytes or fails: a stream error is passed on, a stream that
// accepts fewer bytes without an error gives STG_E_WRITEFAULT.
HRESULT WriteExact(IStream* stream, const void* pv, ULONG cb);

// HRESULTs of file streams: the Win32 errors in their HRESULT form, as the
// platform reports them for files.
constexpr HRESULT kFileNotFound = MakeHResult(0x80070002);  // ERROR_FILE_NOT_FOUND
constexpr HRESULT kPathNotFound = MakeHResult(0x80070003);  // ERROR_PATH_NOT_FOUND
constexpr HRESULT kFileExists = MakeHResult(0x80070050);    // ERROR_FILE_EXISTS

}  // namespace kelto::com
