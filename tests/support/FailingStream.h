// A stream for testing the error paths of persistence code: it passes reads
// and writes on to an inner stream until a byte budget runs out, then either
// transfers fewer bytes than asked without an error (a truncated file, a full
// disk that says nothing) or fails with a chosen HRESULT. It can also deliver
// data in small pieces, as a pipe would, to check that callers loop.
#pragma once

#include <algorithm>
#include <limits>

#include "platform/com/Object.h"

namespace kelto::test {

class FailingStream final : public kelto::com::Object<FailingStream, IStream> {
 public:
  enum class Mode { kShort, kError };

  // budget: bytes read and written (each counted separately) before the
  // stream misbehaves. maxPerCall: the most one Read or Write moves.
  FailingStream(kelto::com::ComPtr<IStream> inner, ULONG readBudget, ULONG writeBudget,
                Mode mode = Mode::kShort, HRESULT error = STG_E_MEDIUMFULL,
                ULONG maxPerCall = std::numeric_limits<ULONG>::max())
      : inner_(std::move(inner)),
        readLeft_(readBudget),
        writeLeft_(writeBudget),
        mode_(mode),
        error_(error),
        maxPerCall_(maxPerCall) {}

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    return Transfer(cb, pcbRead, readLeft_, [&](ULONG n, ULONG* done) {
      return inner_->Read(pv, n, done);
    });
  }
  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    return Transfer(cb, pcbWritten, writeLeft_, [&](ULONG n, ULONG* done) {
      return inner_->Write(pv, n, done);
    });
  }
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* pos) override {
    return inner_->Seek(move, origin, pos);
  }
  HRESULT SetSize(ULARGE_INTEGER size) override { return inner_->SetSize(size); }
  HRESULT CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT Commit(DWORD flags) override { return inner_->Commit(flags); }
  HRESULT Revert() override { return inner_->Revert(); }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG* st, DWORD flag) override { return inner_->Stat(st, flag); }
  HRESULT Clone(IStream**) override { return E_NOTIMPL; }

 private:
  template <class Move>
  HRESULT Transfer(ULONG cb, ULONG* done, ULONG& left, Move move) {
    if (done) *done = 0;
    if (mode_ == Mode::kError && cb > left) return error_;
    ULONG moved = 0;
    const HRESULT hr = move(std::min({cb, left, maxPerCall_}), &moved);
    left -= moved;
    if (done) *done = moved;
    return hr;
  }

  kelto::com::ComPtr<IStream> inner_;
  ULONG readLeft_;
  ULONG writeLeft_;
  Mode mode_;
  HRESULT error_;
  ULONG maxPerCall_;
};

}  // namespace kelto::test
