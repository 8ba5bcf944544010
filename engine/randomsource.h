#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>

namespace tintrix {

// A source of fractions in [0, 1). The wave of a fade and the random fades draw from it.
class RandomSource {
 public:
  virtual ~RandomSource() = default;

  // The next fraction r with 0 <= r < 1.
  virtual double NextFraction() = 0;

  // Fills `fractions` with the next fractions r, 0 <= r < 1, in single precision: what the
  // wave of a fade draws, a block of characters at a time. This default narrows NextFraction
  // for each, keeping every one below 1; a source may draw them another way.
  virtual void NextFractions(std::span<float> fractions);

  // Starts a new sequence seeded from the clock.
  virtual void ReseedFromClock() = 0;
};

// Single-precision fractions, fast: 32 xoshiro128+ generators stepped side by side, so that
// the compiler steps them together in vector registers (with fewer, it unrolls the lanes one
// by one instead). The same seed gives the same sequence, however the fractions are asked for.
class FractionGenerator {
 public:
  explicit FractionGenerator(std::uint64_t seed = 0) { Seed(seed); }

  void Seed(std::uint64_t seed);
  void Fill(std::span<float> fractions);

 private:
  static constexpr std::size_t kLanes = 32;

  // Writes `steps` times kLanes fractions to `out`.
  void Step(float* out, std::size_t steps);

  // Aligned for the vector loads and stores of its lanes, which would otherwise cross cache
  // lines.
  alignas(64) std::array<std::array<std::uint32_t, kLanes>, 4> m_state;
  alignas(64) std::array<float, kLanes> m_pending{};
  std::size_t m_pendingUsed = kLanes;  // m_pending[m_pendingUsed ...] are still to be handed out
};

// A Mersenne twister for NextFraction and a FractionGenerator for NextFractions, seeded
// together. Seeding from the clock mixes in std::random_device, so two seedings within the
// same clock reading still give different sequences.
class ClockSeededRandom final : public RandomSource {
 public:
  ClockSeededRandom();                             // seeded from the clock
  explicit ClockSeededRandom(std::uint64_t seed);  // reproducible

  double NextFraction() override;
  void NextFractions(std::span<float> fractions) override;
  void ReseedFromClock() override;

 private:
  std::mt19937_64 m_engine;
  FractionGenerator m_fractions;
};

}  // namespace tintrix
