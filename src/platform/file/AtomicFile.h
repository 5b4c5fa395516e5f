// CAtomicFile: writes a file so that it appears complete or not at all.
//
// The bytes go to a temporary file beside the target (".NAME.XXXXXX", in the
// same folder, so that the final rename stays on one file system); Commit
// flushes it to the disk and renames it over the target. Until then the
// previous file, if any, is untouched, and a failure at any point (disk full,
// read-only folder, a write cut short) removes the temporary and leaves the
// old file as it was. Failures are reported with the system's reason
// ("cannot write out.png: No space left on device").
//
// A new file gets the permissions the process's umask gives; a replaced one
// keeps its own. A target that is a symbolic link is written through it: the
// file the link names is replaced and the link stays. A target that exists
// and is not a regular file (a device, a FIFO) is written in place, since it
// cannot be replaced.
#pragma once

#include <cstddef>
#include <string>

namespace kelto::file {

class CAtomicFile {
 public:
  // Creates the temporary file. Throws std::runtime_error("cannot write PATH:
  // REASON") when it cannot: the folder does not exist or is not writable,
  // the target is a folder.
  explicit CAtomicFile(const std::string& path);
  // Discards the temporary unless committed.
  ~CAtomicFile();
  CAtomicFile(const CAtomicFile&) = delete;
  CAtomicFile& operator=(const CAtomicFile&) = delete;

  // Appends bytes. False, with Error() set, once any write has failed.
  bool Write(const void* data, std::size_t size);
  // Puts the file in place. False, with Error() set and the temporary
  // removed, when a write failed before or the file cannot be completed.
  bool Commit();
  // Removes the temporary; the target stays as it was.
  void Discard() noexcept;

  const std::string& Error() const { return m_error; }

  // What would stop a file being written at path now ("" when nothing
  // does), found by creating and removing a temporary beside it: a command
  // can refuse an unwritable output before doing its work.
  static std::string ProblemWriting(const std::string& path);

 private:
  bool Fail(int error);

  std::string m_path;       // as the caller gave it, for messages
  std::string m_target;     // the file replaced (a link's target)
  std::string m_temporary;  // empty when writing in place
  int m_fd = -1;
  bool m_inPlace = false;
  std::string m_error;
};

}  // namespace kelto::file
