#pragma once

#include <cstddef>
#include <istream>
#include <string_view>

namespace tintrix {

// Reads the lines of a stream as std::getline does, a large block at a time: each line comes
// without its line feed, and without the carriage return before it (CR LF), and a last line
// without a line feed counts when it is not empty. A line is a view into the reader's buffer,
// valid until the next call; the buffer holds the longest line and a block more.
// The buffer's memory comes straight from the system, in huge pages where it has them: it
// grows without a copy or a fill, so a line of a hundred megabytes costs its size in memory
// and about fifty page faults, not tens of thousands.
class LineReader {
 public:
  // Sets badbit in the exception mask of `in`, which must not have it yet, so that a failing
  // read throws instead of looking like the end.
  explicit LineReader(std::istream& in) : m_in(in) { m_in.exceptions(std::ios::badbit); }
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Sets `line` to the next line and returns true, or returns false at the end of the input.
  // Throws std::ios::failure when reading fails (the stream's badbit), and std::bad_alloc
  // when a line does not fit in memory.
  bool Next(std::string_view& line);

 private:
  static constexpr std::size_t kReadBytes = 1 << 20;

  // Room for at least `capacity` bytes, keeping the m_size there are; throws std::bad_alloc.
  void Reserve(std::size_t capacity);

  std::istream& m_in;
  char* m_data = nullptr;
  std::size_t m_size = 0;
  std::size_t m_capacity = 0;
  std::size_t m_start = 0;    // where the unread lines start
  std::size_t m_scanned = 0;  // no line feed in [m_start, m_scanned)
  bool m_end = false;
};

}  // namespace tintrix
