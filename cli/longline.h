#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string_view>

namespace tintrix {

// True when the `n` bytes at p are all ASCII, none of them a line feed.
bool AsciiWithoutFeed(const char* p, std::size_t n);

// One long line of a regular file, read as it is written instead of held whole. Its bytes lie
// at one address range, text(), as a held line's would, but only a few windows of it hold
// them at a time: the ones about where the reader is, and one ahead. Reach() moves the windows
// on, reusing the pages of the one furthest behind, so the line costs a few windows of memory
// and page faults whatever its size, and no page is handed out (cleared) by the system for
// each window. The rest of the range is mapped without access: a read outside the windows
// stops the program instead of reading what is not the line.
// The line must be ASCII: the fade of such a line takes each byte as a character, so the
// writer reads it from first to last byte, never far back.
class LongLine {
 public:
  // Bytes the windows move by: a huge page, where the system has them.
  static constexpr std::size_t kWindowBytes = std::size_t{2} << 20;

  // The `size` bytes at `offset` of the file `fd`, a regular file, which must stay open while
  // this lives, in windows of `windowBytes`: a multiple of the page size, and 256 KiB or more.
  // Reads the first windows; throws std::ios::failure when reading fails or finds the line changed
  // (shorter, or a line feed or a byte past ASCII in it), and std::bad_alloc when the range cannot
  // be had.
  LongLine(int fd, off_t offset, std::size_t size, std::size_t windowBytes = kWindowBytes);
  ~LongLine();
  LongLine(const LongLine&) = delete;
  LongLine& operator=(const LongLine&) = delete;

  std::string_view text() const { return {m_base, m_size}; }

  // Has the bytes from `position` back a window, and at least 128 KiB on, read, and gives the
  // pages of windows further back to those ahead. Throws as the constructor does.
  void Reach(std::size_t position);

 private:
  // The pages the line ever takes: the fade reads on from where it has come, never back, and
  // the reading is never more than a window ahead of it.
  static constexpr std::size_t kWindows = 3;
  // Read up to half a window ahead, more than a fade writes between two calls of its progress
  // hook (64 Ki characters), in steps large enough that the calls cost little.
  static constexpr std::size_t kReadAhead = std::size_t{1} << 20;
  static constexpr std::size_t kReadStep = std::size_t{512} << 10;

  // Gives window `window`, the next after those there are, its pages.
  void Map(std::size_t window);

  int m_fd;
  off_t m_offset;
  std::size_t m_size;
  std::size_t m_window;   // bytes
  char* m_raw = nullptr;  // the range as mapped
  std::size_t m_reserved = 0;
  char* m_base = nullptr;   // the line's first byte, on a window's edge
  std::size_t m_first = 0;  // the windows [m_first, m_end) have pages
  std::size_t m_end = 0;
  std::size_t m_read = 0;  // the bytes of the line read into them
};

}  // namespace tintrix
