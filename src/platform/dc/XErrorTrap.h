// CXErrorTrap: catches the X protocol errors one display connection raises
// while the trap is alive, instead of letting Xlib's default handler end the
// process. Windows that belong to another client (the host's parent window,
// or our child inside it once the host destroyed the parent) can vanish at
// any time, so every request that names such a window runs under a trap.
//
// The handler Xlib calls is process-wide; errors on other connections are
// passed to the handler that was installed before the trap. Traps nest. Use
// on the thread that owns the connection.
#pragma once

struct _XDisplay;

namespace kelto::dc {

class CXErrorTrap {
 public:
  // Flushes requests made before the trap, so their errors are not blamed on
  // it, then installs the handler.
  explicit CXErrorTrap(_XDisplay* display);
  ~CXErrorTrap();
  CXErrorTrap(const CXErrorTrap&) = delete;
  CXErrorTrap& operator=(const CXErrorTrap&) = delete;

  // Waits for the server to process everything sent so far and tells whether
  // any of it failed. The first error's code stays readable in ErrorCode().
  bool Failed();
  int ErrorCode() const { return error_code_; }

 private:
  friend struct TrapAccess;
  _XDisplay* display_;
  CXErrorTrap* outer_;
  void* previous_handler_;
  int error_code_ = 0;
};

}  // namespace kelto::dc
