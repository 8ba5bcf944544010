#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/status.h"

namespace tintrix {

// Replaces a file in one step: the new bytes go to a temporary file beside it, which is
// flushed to the disk and then renamed over the old one, so a reader sees the old file or the
// new one, never a part, and a failure at any step (a full disk included) leaves the old file
// byte for byte. A path that names a device or a pipe (/dev/stdout, a FIFO) cannot be
// replaced; it is written in place, and opening a FIFO waits for its reader.
//
// Errors are kIoError and read `Could not write PATH: REASON`, REASON being the system's
// ("No space left on device"), which is also their reason(). A symbolic link is followed: the file
// it names is replaced and the link stays. A replaced file keeps its permission bits; a new one
// gets 0666 less the umask.
class AtomicFileWriter {
 public:
  // Starts replacing `path`: the writer, or the error, and then nothing on the disk has
  // changed.
  static StatusOr<std::unique_ptr<AtomicFileWriter>> Open(const std::string& path);

  // Removes the temporary file unless Commit succeeded; the old file stays as it was.
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Writes `bytes` after those written before. After a failure every later call fails with
  // the same error.
  Status Append(std::string_view bytes);

  // Makes the written bytes the file's content: flushes them to the disk, closes and renames
  // the temporary file over the old one. Call once; on failure the old file stays and the
  // temporary file is removed.
  Status Commit();

 private:
  AtomicFileWriter(std::string shownPath, std::string target, std::string temporary, int fd);
  Status Fail(int error);
  void Discard();

  std::string m_shownPath;  // as the caller named it, for messages
  std::string m_target;     // the file replaced, links followed
  std::string m_temporary;  // empty when writing in place
  int m_fd;
  Status m_failure;
  bool m_committed = false;
};

// Writes all of `bytes` to the open file `fd`, going on after short and interrupted writes.
// Returns 0, or the system's error number of the write that failed.
int WriteAll(int fd, std::string_view bytes);

// Replaces the file at `path` with `bytes`, as AtomicFileWriter does.
Status WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace tintrix
