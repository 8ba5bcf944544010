#include "cli/linereader.h"

#include <sys/mman.h>

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
  while (true) {
    const void* feed =
        m_scanned < m_size ? std::memchr(m_data + m_scanned, '\n', m_size - m_scanned) : nullptr;
    if (feed != nullptr) {
      const auto end = static_cast<std::size_t>(static_cast<const char*>(feed) - m_data);
      line = WithoutCarriageReturn(std::string_view(m_data + m_start, end - m_start));
      m_start = m_scanned = end + 1;
      return true;
    }
    m_scanned = m_size;
    if (m_end) {
      if (m_start == m_size) return false;
      line = WithoutCarriageReturn(std::string_view(m_data + m_start, m_size - m_start));
      m_start = m_size;
      return true;
    }
    // The unread part to the front, then a block more after it.
    if (m_start > 0) {
      std::memmove(m_data, m_data + m_start, m_size - m_start);
      m_size -= m_start;
      m_scanned -= m_start;
      m_start = 0;
    }
    Reserve(m_size + kReadBytes);
    m_in.read(m_data + m_size, static_cast<std::streamsize>(kReadBytes));
    m_size += static_cast<std::size_t>(m_in.gcount());
    m_end = !m_in;
  }
}

}  // namespace tintrix
