#include "engine/randomsource.h"

#include <chrono>

namespace tintrix {

ClockSeededRandom::ClockSeededRandom() { ReseedFromClock(); }

ClockSeededRandom::ClockSeededRandom(std::uint64_t seed) : m_engine(seed) {}

double ClockSeededRandom::NextFraction() {
  // 53 random bits scaled by 2^-53: exactly representable and never 1.
  return static_cast<double>(m_engine() >> 11) * 0x1p-53;
}

void ClockSeededRandom::ReseedFromClock() {
  const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  std::random_device device;
  std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32),
                     device(), device()};
  m_engine.seed(seed);
}

}  // namespace tintrix
