#include "platform/regularfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/text.h"
#include "platform/paths.h"

namespace tintrix {

namespace {

Status ReadError(const std::string& path, int error) {
  return Status::FromSystem(error == ENOENT ? StatusCode::kNotFound : StatusCode::kIoError,
                            "Could not read " + QuoteName(path), std::strerror(error));
}

}  // namespace

StatusOr<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  if (path.empty()) return ReadError(path, ENOENT);
  // Without O_NONBLOCK, opening a FIFO would wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ReadError(path, errno);
  struct stat info;
  Status status;
  std::string bytes;
  if (fstat(fd, &info) != 0) {
    status = ReadError(path, errno);
  } else if (!S_ISREG(info.st_mode)) {
    status = Status::InvalidArgument(QuoteName(path) + " is not a regular file");
  } else if (static_cast<std::size_t>(info.st_size) > maxBytes) {
    status = Status::InvalidArgument(QuoteName(path) + " is larger than " +
                                     std::to_string(maxBytes) + " bytes");
  } else {
    // The size may change while the file is read: read to its end, but never past the bound.
    bytes.resize(maxBytes + 1);
    std::size_t used = 0;
    while (used < bytes.size()) {
      const ssize_t got = read(fd, bytes.data() + used, bytes.size() - used);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        status = ReadError(path, errno);
        break;
      }
      if (got == 0) break;
      used += static_cast<std::size_t>(got);
    }
    bytes.resize(used);
    if (status.ok() && used > maxBytes) {
      status = Status::InvalidArgument(QuoteName(path) + " is larger than " +
                                       std::to_string(maxBytes) + " bytes");
    }
  }
  close(fd);
  if (!status.ok()) return status;
  return bytes;
}

FolderLock::FolderLock(const std::string& path) {
  m_fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_fd < 0) return;
  while (flock(m_fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    close(m_fd);
    m_fd = -1;
    return;
  }
}

FolderLock::~FolderLock() {
  if (m_fd >= 0) close(m_fd);  // closing releases the lock
}

}  // namespace tintrix
