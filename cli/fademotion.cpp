#include "cli/fademotion.h"

namespace tintrix {

std::size_t PhaseOffset(int thousandths, std::size_t n) {
  if (n == 0) return 0;
  const auto places = static_cast<std::int64_t>(2 * n);
  const std::int64_t scaled = thousandths * places;
  // Floor division: a negative phase moves the other way.
  std::int64_t offset = scaled / 1000 - (scaled % 1000 < 0 ? 1 : 0);
  offset %= places;
  return static_cast<std::size_t>(offset < 0 ? offset + places : offset);
}

std::size_t FrameOffset(std::size_t k, std::size_t frames, std::size_t n) {
  return k * (2 * n) / frames;
}

MotionLoop::MotionLoop(std::span<const std::uint32_t> plain) : m_n(plain.size()) {
  m_places.reserve(3 * m_n);
  m_places.assign(plain.begin(), plain.end());
  m_places.insert(m_places.end(), plain.rbegin(), plain.rend());
  m_places.insert(m_places.end(), plain.begin(), plain.end());
}

std::span<const std::uint32_t> MotionLoop::At(std::size_t s) const {
  if (m_n == 0) return {};
  // Character i shows place (i - s) mod 2n, so the first shows place (2n - s) mod 2n and the
  // others follow it in order; past the loop's end the copy of its start continues it.
  const std::size_t first = (2 * m_n - s % (2 * m_n)) % (2 * m_n);
  return std::span<const std::uint32_t>(m_places).subspan(first, m_n);
}

}  // namespace tintrix
