#include "platform/com/Stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "platform/com/Api.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"

namespace kelto::com {

namespace {

constexpr DWORD kStatFlagNoOpen = 2;  // STATFLAG_NOOPEN: accepted, means nothing here

// Fills the parts of a STATSTG that both stream kinds share. The name is
// allocated with CoTaskMemAlloc because the caller frees it with
// CoTaskMemFree.
HRESULT FillStat(STATSTG* st, DWORD flag, std::u16string_view name, std::uint64_t size,
                 DWORD mode) {
  if (!st) return STG_E_INVALIDPOINTER;
  if (flag & ~(STATFLAG_NONAME | kStatFlagNoOpen)) return STG_E_INVALIDFLAG;
  *st = STATSTG{};
  st->type = STGTY_STREAM;
  st->cbSize.QuadPart = size;
  st->grfMode = mode;
  if (!(flag & STATFLAG_NONAME) && !name.empty()) {
    auto* out = static_cast<OLECHAR*>(CoTaskMemAlloc((name.size() + 1) * sizeof(OLECHAR)));
    if (!out) return STG_E_INSUFFICIENTMEMORY;
    std::copy(name.begin(), name.end(), out);
    out[name.size()] = u'\0';
    st->pwcsName = out;
  }
  return S_OK;
}

// The new position of a Seek, or a failure for an unknown origin or a
// position before the start of the stream.
HRESULT SeekTarget(std::uint64_t pos, std::uint64_t size, LARGE_INTEGER move, DWORD origin,
                   std::uint64_t* out) {
  std::int64_t base = 0;
  switch (origin) {
    case STREAM_SEEK_SET:
      base = 0;
      break;
    case STREAM_SEEK_CUR:
      base = static_cast<std::int64_t>(pos);
      break;
    case STREAM_SEEK_END:
      base = static_cast<std::int64_t>(size);
      break;
    default:
      return STG_E_INVALIDFUNCTION;
  }
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, move.QuadPart, &target) || target < 0)
    return STG_E_INVALIDFUNCTION;
  *out = static_cast<std::uint64_t>(target);
  return S_OK;
}

// IStream::CopyTo for any source: reads in chunks and writes what was read,
// so both positions advance by what actually moved.
HRESULT CopyStream(IStream* src, IStream* dst, std::uint64_t cb, ULARGE_INTEGER* pcbRead,
                   ULARGE_INTEGER* pcbWritten) {
  if (pcbRead) pcbRead->QuadPart = 0;
  if (pcbWritten) pcbWritten->QuadPart = 0;
  if (!dst) return STG_E_INVALIDPOINTER;
  std::vector<BYTE> chunk(std::min<std::uint64_t>(cb, 64 * 1024));
  std::uint64_t totalRead = 0;
  std::uint64_t totalWritten = 0;
  HRESULT hr = S_OK;
  while (totalRead < cb) {
    const ULONG want = static_cast<ULONG>(std::min<std::uint64_t>(cb - totalRead, chunk.size()));
    ULONG got = 0;
    hr = src->Read(chunk.data(), want, &got);
    if (FAILED(hr) || got == 0) break;
    totalRead += got;
    ULONG written = 0;
    hr = dst->Write(chunk.data(), got, &written);
    totalWritten += written;
    if (FAILED(hr)) break;
    if (written < got) {
      hr = STG_E_WRITEFAULT;
      break;
    }
  }
  if (pcbRead) pcbRead->QuadPart = totalRead;
  if (pcbWritten) pcbWritten->QuadPart = totalWritten;
  return FAILED(hr) ? hr : S_OK;
}

DWORD ModeOf(StreamAccess a) {
  if (a.read && a.write) return STGM_READWRITE;
  return a.write ? STGM_WRITE : STGM_READ;
}

// --- Memory stream -------------------------------------------------------------

class CMemoryStream final : public Object<CMemoryStream, IStream> {
 public:
  CMemoryStream(StreamBuffer buffer, std::u16string name, StreamAccess access, std::uint64_t pos)
      : buffer_(buffer ? std::move(buffer) : std::make_shared<std::vector<BYTE>>()),
        name_(std::move(name)),
        access_(access),
        pos_(pos) {}

  const std::vector<BYTE>& Bytes() const { return *buffer_; }

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (pcbRead) *pcbRead = 0;
    if (!access_.read) return STG_E_ACCESSDENIED;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    const std::uint64_t size = buffer_->size();
    const ULONG n = pos_ < size ? static_cast<ULONG>(std::min<std::uint64_t>(cb, size - pos_)) : 0;
    if (n) std::memcpy(pv, buffer_->data() + pos_, n);
    pos_ += n;
    if (pcbRead) *pcbRead = n;
    return S_OK;
  }

  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    if (!access_.write) return STG_E_ACCESSDENIED;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    if (cb == 0) return S_OK;
    const std::uint64_t end = pos_ + cb;
    // A write past the end (after seeking there) fills the gap with zeros,
    // as a file does.
    try {
      if (end > buffer_->size()) buffer_->resize(end);
    } catch (const std::exception&) {
      return STG_E_MEDIUMFULL;
    }
    std::memcpy(buffer_->data() + pos_, pv, cb);
    pos_ = end;
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override {
    std::uint64_t target = 0;
    const HRESULT hr = SeekTarget(pos_, buffer_->size(), move, origin, &target);
    if (FAILED(hr)) return hr;
    pos_ = target;
    if (newPos) newPos->QuadPart = pos_;
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER size) override {
    if (!access_.write) return STG_E_ACCESSDENIED;
    try {
      buffer_->resize(size.QuadPart);
    } catch (const std::exception&) {
      return STG_E_MEDIUMFULL;
    }
    return S_OK;
  }

  HRESULT CopyTo(IStream* dst, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                 ULARGE_INTEGER* pcbWritten) override {
    return CopyStream(this, dst, cb.QuadPart, pcbRead, pcbWritten);
  }

  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }

  HRESULT Stat(STATSTG* st, DWORD flag) override {
    return FillStat(st, flag, name_, buffer_->size(), ModeOf(access_));
  }

  HRESULT Clone(IStream** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    // The clone shares the bytes and starts where this stream stands; from
    // then on the two positions move independently.
    *out = MakeObject<CMemoryStream>(buffer_, name_, access_, pos_).Detach();
    return S_OK;
  }

 private:
  StreamBuffer buffer_;
  std::u16string name_;
  StreamAccess access_;
  std::uint64_t pos_ = 0;
};

// --- File stream ------------------------------------------------------------------

HRESULT HResultFromErrno(int err) {
  switch (err) {
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
      return kPathNotFound;
    case EEXIST:
      return kFileExists;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return E_ACCESSDENIED;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return STG_E_MEDIUMFULL;
    case ENOMEM:
      return E_OUTOFMEMORY;
    default:
      return E_FAIL;
  }
}

FILETIME FileTimeOf(const timespec& ts) {
  // 100-nanosecond ticks since 1601-01-01, the platform's file time.
  constexpr std::uint64_t kEpochDelta = 116444736000000000ULL;
  const std::uint64_t ticks = kEpochDelta + static_cast<std::uint64_t>(ts.tv_sec) * 10000000ULL +
                              static_cast<std::uint64_t>(ts.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

class CFileStream final : public Object<CFileStream, IStream> {
 public:
  CFileStream(int fd, std::u16string path, StreamAccess access)
      : fd_(fd), path_(std::move(path)), access_(access) {}
  ~CFileStream() override { ::close(fd_); }

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (pcbRead) *pcbRead = 0;
    if (!access_.read) return STG_E_ACCESSDENIED;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    ULONG done = 0;
    while (done < cb) {
      const ssize_t n =
          ::pread(fd_, static_cast<BYTE*>(pv) + done, cb - done, static_cast<off_t>(pos_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        pos_ += done;
        if (pcbRead) *pcbRead = done;
        return STG_E_READFAULT;
      }
      if (n == 0) break;  // end of file: a short read, not an error
      done += static_cast<ULONG>(n);
    }
    pos_ += done;
    if (pcbRead) *pcbRead = done;
    return S_OK;
  }

  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    if (!access_.write) return STG_E_ACCESSDENIED;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    ULONG done = 0;
    while (done < cb) {
      const ssize_t n = ::pwrite(fd_, static_cast<const BYTE*>(pv) + done, cb - done,
                                 static_cast<off_t>(pos_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        const HRESULT hr = n < 0 ? HResultFromErrno(errno) : STG_E_WRITEFAULT;
        pos_ += done;
        if (pcbWritten) *pcbWritten = done;
        return hr == E_FAIL ? STG_E_WRITEFAULT : hr;
      }
      done += static_cast<ULONG>(n);
    }
    pos_ += done;
    if (pcbWritten) *pcbWritten = done;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override {
    std::uint64_t size = 0;
    if (origin == STREAM_SEEK_END) {
      struct stat sb {};
      if (::fstat(fd_, &sb) != 0) return STG_E_SEEKERROR;
      size = static_cast<std::uint64_t>(sb.st_size);
    }
    std::uint64_t target = 0;
    const HRESULT hr = SeekTarget(pos_, size, move, origin, &target);
    if (FAILED(hr)) return hr;
    if (target > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
      return STG_E_INVALIDFUNCTION;
    pos_ = target;
    if (newPos) newPos->QuadPart = pos_;
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER size) override {
    if (!access_.write) return STG_E_ACCESSDENIED;
    if (size.QuadPart > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
      return STG_E_INVALIDFUNCTION;
    if (::ftruncate(fd_, static_cast<off_t>(size.QuadPart)) != 0)
      return HResultFromErrno(errno) == E_FAIL ? STG_E_WRITEFAULT : HResultFromErrno(errno);
    return S_OK;
  }

  HRESULT CopyTo(IStream* dst, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                 ULARGE_INTEGER* pcbWritten) override {
    return CopyStream(this, dst, cb.QuadPart, pcbRead, pcbWritten);
  }

  // Commit pushes the written data to the disk, as flushing the file's
  // buffers does on the platform; a writer that commits can rely on it.
  HRESULT Commit(DWORD) override {
    if (access_.write && ::fdatasync(fd_) != 0 && errno != EINVAL) return STG_E_WRITEFAULT;
    return S_OK;
  }
  HRESULT Revert() override { return S_OK; }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }

  HRESULT Stat(STATSTG* st, DWORD flag) override {
    struct stat sb {};
    if (::fstat(fd_, &sb) != 0) return STG_E_ACCESSDENIED;
    const HRESULT hr =
        FillStat(st, flag, path_, static_cast<std::uint64_t>(sb.st_size), ModeOf(access_));
    if (FAILED(hr)) return hr;
    st->mtime = FileTimeOf(sb.st_mtim);
    st->atime = FileTimeOf(sb.st_atim);
    st->ctime = FileTimeOf(sb.st_ctim);
    return S_OK;
  }

  // File streams cannot be cloned, as on the platform.
  HRESULT Clone(IStream** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  int fd_;
  std::u16string path_;
  StreamAccess access_;
  std::uint64_t pos_ = 0;
};

}  // namespace

StreamAccess StreamAccess::FromMode(DWORD grfMode) {
  switch (grfMode & 3) {
    case STGM_WRITE:
      return {false, true};
    case STGM_READWRITE:
      return {true, true};
    default:
      return {true, false};
  }
}

ComPtr<IStream> MakeMemoryStream(StreamBuffer buffer, std::u16string name, StreamAccess access) {
  return MakeObject<CMemoryStream>(std::move(buffer), std::move(name), access, 0);
}

ComPtr<IStream> MakeMemoryStream(std::span<const BYTE> bytes) {
  return MakeMemoryStream(std::make_shared<std::vector<BYTE>>(bytes.begin(), bytes.end()));
}

std::vector<BYTE> MemoryStreamBytes(IStream* stream) {
  if (!stream) throw std::invalid_argument("MemoryStreamBytes: null stream");
  if (auto* mem = dynamic_cast<CMemoryStream*>(stream)) return mem->Bytes();
  ULARGE_INTEGER saved{};
  if (FAILED(stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_CUR, &saved)) ||
      FAILED(stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr)))
    throw std::runtime_error("MemoryStreamBytes: the stream cannot seek");
  std::vector<BYTE> out;
  BYTE chunk[4096];
  for (;;) {
    ULONG got = 0;
    if (FAILED(stream->Read(chunk, sizeof chunk, &got)))
      throw std::runtime_error("MemoryStreamBytes: the stream cannot be read");
    if (got == 0) break;
    out.insert(out.end(), chunk, chunk + got);
  }
  stream->Seek(LARGE_INTEGER{static_cast<std::int64_t>(saved.QuadPart)}, STREAM_SEEK_SET, nullptr);
  return out;
}

HRESULT ReadExact(IStream* stream, void* pv, ULONG cb) {
  if (!stream || (!pv && cb)) return E_POINTER;
  auto* p = static_cast<BYTE*>(pv);
  while (cb > 0) {
    ULONG got = 0;
    const HRESULT hr = stream->Read(p, cb, &got);
    if (FAILED(hr)) return hr;
    if (got == 0 || got > cb) return STG_E_READFAULT;
    p += got;
    cb -= got;
  }
  return S_OK;
}

HRESULT WriteExact(IStream* stream, const void* pv, ULONG cb) {
  if (!stream || (!pv && cb)) return E_POINTER;
  auto* p = static_cast<const BYTE*>(pv);
  while (cb > 0) {
    ULONG put = 0;
    const HRESULT hr = stream->Write(p, cb, &put);
    if (FAILED(hr)) return hr;
    if (put == 0 || put > cb) return STG_E_WRITEFAULT;
    p += put;
    cb -= put;
  }
  return S_OK;
}

}  // namespace kelto::com

using kelto::com::HResultFromErrno;

// There are no global memory handles here, so a stream can only be made over
// fresh memory: a non-null hGlobal is refused rather than misread.
KELTO_API HRESULT CreateStreamOnHGlobal(void* hGlobal, BOOL /*fDeleteOnRelease*/, IStream** ppstm) {
  if (!ppstm) return E_INVALIDARG;
  *ppstm = nullptr;
  if (hGlobal) return E_INVALIDARG;
  try {
    *ppstm = kelto::com::MakeMemoryStream().Detach();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

KELTO_API HRESULT SHCreateStreamOnFileEx(LPCOLESTR pszFile, DWORD grfMode, DWORD /*dwAttributes*/,
                                         BOOL fCreate, IStream* /*pstmTemplate*/, IStream** ppstm) {
  if (!ppstm) return E_POINTER;
  *ppstm = nullptr;
  if (!pszFile || !*pszFile) return E_INVALIDARG;
  const DWORD rw = grfMode & 3;
  if (rw == 3) return STG_E_INVALIDFLAG;
  const bool create = (grfMode & STGM_CREATE) != 0;
  // Recreating a file that the stream may not write makes no sense.
  if (create && rw == STGM_READ) return STG_E_INVALIDFLAG;

  int flags = O_CLOEXEC;
  flags |= rw == STGM_READ ? O_RDONLY : (rw == STGM_WRITE ? O_WRONLY : O_RDWR);
  // STGM_CREATE: the file is (re)created whatever fCreate says. Otherwise
  // fCreate decides: FALSE opens an existing file only, TRUE creates a new
  // file only.
  if (create)
    flags |= O_CREAT | O_TRUNC;
  else if (fCreate)
    flags |= O_CREAT | O_EXCL;

  std::u16string path(kelto::com::OleView(pszFile));
  const std::string native = kelto::com::Utf16ToUtf8(path);
  int fd = -1;
  do {
    fd = ::open(native.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return HResultFromErrno(errno);
  struct stat sb {};
  if (::fstat(fd, &sb) == 0 && S_ISDIR(sb.st_mode)) {
    ::close(fd);
    return E_ACCESSDENIED;
  }
  try {
    *ppstm = kelto::com::MakeObject<kelto::com::CFileStream>(
                 fd, std::move(path), kelto::com::StreamAccess::FromMode(grfMode))
                 .Detach();
  } catch (const std::bad_alloc&) {
    ::close(fd);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
