#pragma once

#include <cstddef>
#include <string>

#include "engine/status.h"

namespace tintrix {

// The bytes of the whole regular file at `path` (links followed), read in one pass, when it
// holds at most `maxBytes` bytes. Never waits: a FIFO, a device or a folder is not read.
// Fails with
//   kNotFound         `Could not read PATH: No such file or directory` (also for an empty path);
//   kInvalidArgument  `PATH is not a regular file` or `PATH is larger than N bytes`;
//   kIoError          `Could not read PATH: REASON`;
// the system's REASON is also the reason().
StatusOr<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes);

// Holds an advisory lock, exclusive between processes, on the folder that holds `path`, so
// that a read, change and replace of a file in it is not interleaved with another process's.
// Waits for the lock. Where the folder cannot be locked (it cannot be opened, or its file
// system refuses), it goes on without one: the lock only ever protects, never prevents.
class FolderLock {
 public:
  explicit FolderLock(const std::string& path);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int m_fd;
};

}  // namespace tintrix
