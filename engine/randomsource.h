#pragma once

#include <cstdint>
#include <random>

namespace tintrix {

// A source of fractions in [0, 1). The wave of a fade and the random fades draw from it.
class RandomSource {
 public:
  virtual ~RandomSource() = default;

  // The next fraction r with 0 <= r < 1.
  virtual double NextFraction() = 0;

  // Starts a new sequence seeded from the clock.
  virtual void ReseedFromClock() = 0;
};

// A Mersenne twister. Seeding from the clock mixes in std::random_device, so two seedings
// within the same clock reading still give different sequences.
class ClockSeededRandom final : public RandomSource {
 public:
  ClockSeededRandom();                             // seeded from the clock
  explicit ClockSeededRandom(std::uint64_t seed);  // reproducible

  double NextFraction() override;
  void ReseedFromClock() override;

 private:
  std::mt19937_64 m_engine;
};

}  // namespace tintrix
