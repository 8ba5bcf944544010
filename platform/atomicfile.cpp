#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "engine/text.h"
#include "platform/paths.h"

namespace tintrix {

namespace {

Status WriteError(const std::string& path, int error) {
  return Status::IoError("Could not write " + QuoteName(path), std::strerror(error));
}

// The file a path names, symbolic links followed; the path itself when it names none yet.
std::string FollowLinks(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;
}

// Creates a new file beside `target` with an unused name; returns its descriptor or -1 with
// errno set. 0666 lets the umask decide, as for any new file.
int CreateTemporary(const std::string& target, std::string& name) {
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::random_device device;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name.assign(folder).append(".").append(base).append(".tmp");
    name += std::to_string(device() % 1000000u);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

StatusOr<std::unique_ptr<AtomicFileWriter>> AtomicFileWriter::Open(const std::string& path) {
  if (path.empty()) return WriteError(path, ENOENT);
  const std::string target = FollowLinks(path);
  struct stat info;
  const bool exists = stat(target.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return WriteError(path, EISDIR);
  if (exists && !S_ISREG(info.st_mode)) {
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return WriteError(path, errno);
    return std::unique_ptr<AtomicFileWriter>(new AtomicFileWriter(path, target, "", fd));
  }
  std::string temporary;
  const int fd = CreateTemporary(target, temporary);
  if (fd < 0) return WriteError(path, errno);
  // A replaced file keeps who may read it.
  if (exists && fchmod(fd, info.st_mode & 07777) != 0) {
    const int error = errno;
    close(fd);
    unlink(temporary.c_str());
    return WriteError(path, error);
  }
  return std::unique_ptr<AtomicFileWriter>(new AtomicFileWriter(path, target, temporary, fd));
}

AtomicFileWriter::AtomicFileWriter(std::string shownPath, std::string target, std::string temporary,
                                   int fd)
    : m_shownPath(std::move(shownPath)),
      m_target(std::move(target)),
      m_temporary(std::move(temporary)),
      m_fd(fd) {}

AtomicFileWriter::~AtomicFileWriter() {
  if (!m_committed) Discard();
}

Status AtomicFileWriter::Fail(int error) {
  m_failure = WriteError(m_shownPath, error);
  Discard();
  return m_failure;
}

void AtomicFileWriter::Discard() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
  if (!m_temporary.empty()) unlink(m_temporary.c_str());
  m_temporary.clear();
}

Status AtomicFileWriter::Append(std::string_view bytes) {
  if (!m_failure.ok()) return m_failure;
  if (m_committed || m_fd < 0) return Fail(EBADF);
  if (const int error = WriteAll(m_fd, bytes)) return Fail(error);
  return Status::Ok();
}

Status AtomicFileWriter::Commit() {
  if (!m_failure.ok()) return m_failure;
  if (m_committed || m_fd < 0) return Fail(EBADF);
  const bool inPlace = m_temporary.empty();
  // Pipes and terminals cannot be synced; a file must be on the disk before it replaces one.
  if (!inPlace && fsync(m_fd) != 0) return Fail(errno);
  const int fd = m_fd;
  m_fd = -1;
  if (close(fd) != 0 && errno != EINTR) return Fail(errno);
  if (!inPlace) {
    if (rename(m_temporary.c_str(), m_target.c_str()) != 0) return Fail(errno);
    m_temporary.clear();
    // The rename itself reaches the disk with the folder; a folder that cannot be synced
    // (some file systems refuse) still holds the new file.
    const int folder = open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      fsync(folder);
      close(folder);
    }
  }
  m_committed = true;
  return Status::Ok();
}

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
  TINTRIX_ASSIGN_OR_RETURN(const std::unique_ptr<AtomicFileWriter> writer,
                           AtomicFileWriter::Open(path));
  TINTRIX_RETURN_IF_ERROR(writer->Append(bytes));
  return writer->Commit();
}

}  // namespace tintrix
