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

// A byte past ASCII, or a line feed, in [p, p + n): the line is not what it was when found.
bool ChangedBytes(const char* p, std::size_t n) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::uint64_t found = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    const std::uint64_t feeds = word ^ (kOnes * '\n');
    // High bits: the byte's own, or a zero byte of `feeds` (a line feed) borrowing one.
    found |= word | ((feeds - kOnes) & ~feeds);
  }
  for (; i < n; ++i) found |= static_cast<unsigned char>(p[i]) | (p[i] == '\n' ? 0x80u : 0u);
  return (found & kHigh) != 0;
}

[[noreturn]] void ReadFailed() { throw std::ios::failure("Could not read standard input"); }

}  // namespace

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
  const std::size_t last = (m_size + kSlackBytes - 1) / m_window;
  const std::size_t wanted = std::min(position / m_window + 1, last);
  for (; m_end <= wanted; ++m_end) Load(m_end);
}

void LongLine::Load(std::size_t window) {
  char* const to = m_base + window * m_window;
  if (m_end - m_first < kWindows) {
    // A window of its own, the first time round.
    if (mmap(to, m_window, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
             0) == MAP_FAILED) {
      throw std::bad_alloc();
    }
    madvise(to, m_window, MADV_HUGEPAGE);  // a wish: small pages do too
  } else {
    // The pages of the window furthest back move ahead, as they are, and the range keeps its
    // place with no access where they were.
    char* const from = m_base + m_first++ * m_window;
    if (mremap(from, m_window, m_window, MREMAP_MAYMOVE | MREMAP_FIXED, to) == MAP_FAILED ||
        mmap(from, m_window, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED | MAP_NORESERVE, -1,
             0) == MAP_FAILED) {
      throw std::bad_alloc();
    }
  }
  const std::size_t start = window * m_window;
  const std::size_t bytes = start < m_size ? std::min(m_window, m_size - start) : 0;
  for (std::size_t done = 0; done < bytes;) {
    const ssize_t got =
        pread(m_fd, to + done, bytes - done, m_offset + static_cast<off_t>(start + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) ReadFailed();  // an error, or the file grew shorter
    done += static_cast<std::size_t>(got);
  }
  if (ChangedBytes(to, bytes)) ReadFailed();
}

}  // namespace tintrix
