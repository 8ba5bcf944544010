#include "cli/linereader.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

namespace tintrix {

namespace {

// Huge pages are 2 MiB where the system has them: the buffer grows by whole ones.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::string_view WithoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

LineReader::LineReader(std::istream& in, int fd, std::size_t longLineBytes) : LineReader(in) {
  struct stat status {};
  if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return;
  // The stream's place is the file's only when it holds nothing read ahead.
  const off_t at = lseek(fd, 0, SEEK_CUR);
  if (at < 0 || in.tellg() != std::streampos(at)) {
    in.clear(in.rdstate() & ~std::ios::failbit);
    return;
  }
  m_fd = fd;
  m_fileOffset = at;
  m_longLineBytes = longLineBytes;
}

LineReader::~LineReader() {
  if (m_data != nullptr) munmap(m_data, m_capacity);
}

void LineReader::Reserve(std::size_t capacity) {
  if (capacity <= m_capacity) return;
  // Doubling, so that a long line is moved a few times only; the pages past what is read are
  // never touched, and cost nothing.
  std::size_t grown = m_capacity < capacity / 2 ? capacity : 2 * m_capacity;
  grown = (grown + kHugePage - 1) / kHugePage * kHugePage;
  // mremap moves the pages themselves: no byte is copied, and new pages come zeroed by the
  // system on first touch, never filled here.
  void* data = m_data == nullptr ? mmap(nullptr, grown, PROT_READ | PROT_WRITE,
                                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                 : mremap(m_data, m_capacity, grown, MREMAP_MAYMOVE);
  if (data == MAP_FAILED) throw std::bad_alloc();
  // Only a wish: a system without huge pages keeps small ones.
  madvise(data, grown, MADV_HUGEPAGE);
  m_data = static_cast<char*>(data);
  m_capacity = grown;
}

bool LineReader::Next(std::string_view& line) {
  m_long.reset();
  while (true) {
    const void* feed =
        m_scanned < m_size ? std::memchr(m_data + m_scanned, '\n', m_size - m_scanned) : nullptr;
    if (feed != nullptr) {
      const auto end = static_cast<std::size_t>(static_cast<const char*>(feed) - m_data);
      line = WithoutCarriageReturn(std::string_view(m_data + m_start, end - m_start));
      m_start = m_scanned = end + 1;
      m_longChecked = false;
      return true;
    }
    m_scanned = m_size;
    if (m_end) {
      if (m_start == m_size) return false;
      line = WithoutCarriageReturn(std::string_view(m_data + m_start, m_size - m_start));
      m_start = m_size;
      return true;
    }
    if (m_fd >= 0 && !m_longChecked && m_size - m_start > m_longLineBytes && TakeLongLine(line)) {
      return true;
    }
    // The unread part to the front, then a block more after it.
    if (m_start > 0) {
      std::memmove(m_data, m_data + m_start, m_size - m_start);
      m_size -= m_start;
      m_scanned -= m_start;
      m_fileOffset += static_cast<off_t>(m_start);
      m_start = 0;
    }
    Reserve(m_size + kReadBytes);
    m_size += Read(m_data + m_size, kReadBytes);
  }
}

std::size_t LineReader::Read(char* to, std::size_t count) {
  if (m_fd < 0) {
    m_in.read(to, static_cast<std::streamsize>(count));
    m_end = !m_in;
    return static_cast<std::size_t>(m_in.gcount());
  }
  while (true) {
    const ssize_t got = read(m_fd, to, count);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw std::ios::failure("Could not read standard input");
    m_end = got == 0;
    return static_cast<std::size_t>(got);
  }
}

bool LineReader::TakeLongLine(std::string_view& line) {
  m_longChecked = true;
  if (!AsciiWithoutFeed(m_data + m_start, m_size - m_start)) return false;
  // The rest of the line, found in the file a block at a time without moving the file's
  // offset. The blocks go where the buffer's bytes are, which a long line no longer needs:
  // room past them would be a huge page more, which the system would clear first. A line
  // found not all ASCII gets its bytes back, and is read as ever.
  static_assert(kReadBytes <= kHugePage);
  char* const scratch = m_data;
  const off_t start = m_fileOffset + static_cast<off_t>(m_start);
  off_t at = m_fileOffset + static_cast<off_t>(m_size);
  bool feed = false;
  char last = m_data[m_size - 1];
  while (!feed) {
    const ssize_t got = pread(m_fd, scratch, kReadBytes, at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw std::ios::failure("Could not read standard input");
    if (got == 0) break;
    const auto size = static_cast<std::size_t>(got);
    const void* const found = std::memchr(scratch, '\n', size);
    const std::size_t bytes =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - scratch) : size;
    if (!AsciiWithoutFeed(scratch, bytes)) {
      ReadBack();
      return false;
    }
    if (bytes > 0) last = scratch[bytes - 1];
    at += static_cast<off_t>(bytes);
    feed = bytes < size;
  }
  const off_t next = at + (feed ? 1 : 0);
  if (lseek(m_fd, next, SEEK_SET) < 0) throw std::ios::failure("Could not read standard input");
  auto size = static_cast<std::size_t>(at - start);
  if (last == '\r') --size;  // as WithoutCarriageReturn
  m_fileOffset = next;
  m_start = m_size = m_scanned = 0;
  m_end = !feed;
  m_longChecked = false;
  m_long.emplace(m_fd, start, size);
  line = m_long->text();
  return true;
}

void LineReader::ReadBack() {
  for (std::size_t done = m_start; done < m_size;) {
    const ssize_t got =
        pread(m_fd, m_data + done, m_size - done, m_fileOffset + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    // The file grew shorter while it was read.
    if (got <= 0) throw std::ios::failure("Could not read standard input");
    done += static_cast<std::size_t>(got);
  }
}

}  // namespace tintrix
