#include "cli/linereader.h"

namespace tintrix {

namespace {

std::string_view WithoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

bool LineReader::Next(std::string_view& line) {
  while (true) {
    const std::size_t feed = m_buffer.find('\n', m_scanned);
    if (feed != std::string::npos) {
      line = WithoutCarriageReturn(std::string_view(m_buffer).substr(m_start, feed - m_start));
      m_start = m_scanned = feed + 1;
      return true;
    }
    m_scanned = m_buffer.size();
    if (m_end) {
      if (m_start == m_buffer.size()) return false;
      line = WithoutCarriageReturn(std::string_view(m_buffer).substr(m_start));
      m_start = m_buffer.size();
      return true;
    }
    m_buffer.erase(0, m_start);
    m_scanned -= m_start;
    m_start = 0;
    const std::size_t kept = m_buffer.size();
    m_buffer.resize(kept + kReadBytes);
    m_in.read(m_buffer.data() + kept, static_cast<std::streamsize>(kReadBytes));
    m_buffer.resize(kept + static_cast<std::size_t>(m_in.gcount()));
    m_end = !m_in;
  }
}

}  // namespace tintrix
