#include "cli/longline.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ios>
#include <new>

namespace tintrix {

namespace {

// What the writers may read past a text's end, as they may past a held line's.
constexpr std::size_t kSlackBytes = 64;

[[noreturn]] void ReadFailed() { throw std::ios::failure("Could not read standard input"); }

}  // namespace

bool AsciiWithoutFeed(const char* p, std::size_t n) {
  // 64 bytes at a time in the compiler's vectors of 16, which every processor has.
  using Bytes = signed char __attribute__((vector_size(16)));
  Bytes found{};
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    Bytes a, b, c, d;
    std::memcpy(&a, p + i, 16);
    std::memcpy(&b, p + i + 16, 16);
    std::memcpy(&c, p + i + 32, 16);
    std::memcpy(&d, p + i + 48, 16);
    // A feed's lane compares all ones.
    found |= (a | (a == '\n')) | (b | (b == '\n')) | (c | (c == '\n')) | (d | (d == '\n'));
  }
  std::uint64_t words[2];
  std::memcpy(words, &found, sizeof words);
  std::uint64_t high = words[0] | words[1];
  for (; i < n; ++i) high |= static_cast<unsigned char>(p[i]) | (p[i] == '\n' ? 0x80u : 0u);
  return (high & 0x8080808080808080ull) == 0;
}

LongLine::LongLine(int fd, off_t offset, std::size_t size, std::size_t windowBytes)
    : m_fd(fd), m_offset(offset), m_size(size), m_window(windowBytes) {
  const std::size_t windows = (size + kSlackBytes + m_window - 1) / m_window;
  // One window more, to start the range on a window's edge: huge pages then move whole.
  m_reserved = (windows + 1) * m_window;
  void* range =
      mmap(nullptr, m_reserved, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (range == MAP_FAILED) throw std::bad_alloc();
  m_raw = static_cast<char*>(range);
  const auto at = reinterpret_cast<std::uintptr_t>(m_raw);
  m_base = m_raw + (m_window - at % m_window) % m_window;
  try {
    Reach(0);
  } catch (...) {
    munmap(m_raw, m_reserved);  // no destructor runs for a constructor that throws
    throw;
  }
}

LongLine::~LongLine() { munmap(m_raw, m_reserved); }

void LongLine::Reach(std::size_t position) {
  // Read a step at a time, not far ahead of the writer: the bytes are still in the cache when
  // it comes to them.
  const std::size_t wanted = std::min(m_size, position + std::min(kReadAhead, m_window / 2));
  while (m_read < wanted) {
    const std::size_t window = m_read / m_window;
    for (; m_end <= window; ++m_end) Map(m_end);
    const std::size_t bytes =
        std::min({kReadStep, m_size - m_read, (window + 1) * m_window - m_read});
    char* const to = m_base + m_read;
    for (std::size_t done = 0; done < bytes;) {
      const ssize_t got =
          pread(m_fd, to + done, bytes - done, m_offset + static_cast<off_t>(m_read + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) ReadFailed();  // an error, or the file grew shorter
      done += static_cast<std::size_t>(got);
    }
    if (!AsciiWithoutFeed(to, bytes)) ReadFailed();  // not the line it was when found
    m_read += bytes;
  }
  if (m_read == m_size) {
    for (const std::size_t last = (m_size + kSlackBytes - 1) / m_window; m_end <= last; ++m_end) {
      Map(m_end);
    }
  }
}

void LongLine::Map(std::size_t window) {
  char* const to = m_base + window * m_window;
  if (m_end - m_first < kWindows) {
    // A window of its own, the first time round.
    if (mmap(to, m_window, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
             0) == MAP_FAILED) {
      throw std::bad_alloc();
    }
    madvise(to, m_window, MADV_HUGEPAGE);  // a wish: small pages do too
    return;
  }
  // The pages of the window furthest back move ahead, as they are, and the range keeps its
  // place with no access where they were.
  char* const from = m_base + m_first++ * m_window;
  if (mremap(from, m_window, m_window, MREMAP_MAYMOVE | MREMAP_FIXED, to) == MAP_FAILED ||
      mmap(from, m_window, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED | MAP_NORESERVE, -1,
           0) == MAP_FAILED) {
    throw std::bad_alloc();
  }
}

}  // namespace tintrix
