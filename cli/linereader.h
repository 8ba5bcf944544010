#pragma once

#include <sys/types.h>

#include <cstddef>
#include <istream>
#include <optional>
#include <string_view>

#include "cli/longline.h"

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

  // Reads `fd` instead, when it is a regular file and `in` holds nothing read ahead (standard
  // input redirected from a file, and its stream): then a line of more than `longLineBytes`,
  // every byte ASCII, comes as a LongLine, which Streamed() gives until the next call, and the
  // line is its text(). Such a line's bytes are there only as far as the caller has Reach()ed.
  // Otherwise as above.
  LineReader(std::istream& in, int fd, std::size_t longLineBytes = kLongLineBytes);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Sets `line` to the next line and returns true, or returns false at the end of the input.
  // Throws std::ios::failure when reading fails (the stream's badbit), and std::bad_alloc
  // when a line does not fit in memory.
  bool Next(std::string_view& line);

  // The line Next() gave, when it is a LongLine; else null.
  LongLine* Streamed() { return m_long ? &*m_long : nullptr; }

  // Lines longer than this are read as they are written, where they can be.
  static constexpr std::size_t kLongLineBytes = std::size_t{1} << 20;

 private:
  static constexpr std::size_t kReadBytes = 1 << 20;

  // Room for at least `capacity` bytes, keeping the m_size there are; throws std::bad_alloc.
  void Reserve(std::size_t capacity);

  // Up to `count` bytes into `to` from the input, fewer only at its end; throws as Next().
  std::size_t Read(char* to, std::size_t count);

  // Makes the line that starts at m_start, all of it in the buffer ASCII, a LongLine, when
  // the rest of it in the file is ASCII too: then gives it and goes on after it.
  bool TakeLongLine(std::string_view& line);

  // Reads the buffer's bytes [m_start, m_size) from the file again, after TakeLongLine used
  // their room; throws as Next().
  void ReadBack();

  std::istream& m_in;
  char* m_data = nullptr;
  std::size_t m_size = 0;
  std::size_t m_capacity = 0;
  std::size_t m_start = 0;    // where the unread lines start
  std::size_t m_scanned = 0;  // no line feed in [m_start, m_scanned)
  bool m_end = false;
  int m_fd = -1;           // the input, when it is read from the file itself
  off_t m_fileOffset = 0;  // where m_data[0] is in that file
  std::size_t m_longLineBytes = 0;
  bool m_longChecked = false;  // the line at m_start is not a LongLine
  std::optional<LongLine> m_long;
};

}  // namespace tintrix
