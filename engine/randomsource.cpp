#include "engine/randomsource.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <tuple>

#include "engine/cpufeatures.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tintrix {

namespace {

std::uint64_t SplitMix64(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

void RandomSource::NextFractions(std::span<float> fractions) {
  for (float& r : fractions) {
    r = static_cast<float>(NextFraction());
    // Narrowing a fraction just below 1 can round it up to 1.
    if (r >= 1.0f) r = std::nextafter(1.0f, 0.0f);
  }
}

void FractionGenerator::Seed(std::uint64_t seed) {
  // SplitMix64 spreads one seed over the whole state, as xoshiro's authors advise. The low
  // bit set in the first word keeps every lane from the all-zero state, which never leaves.
  for (auto& word : m_state) {
    for (std::uint32_t& lane : word) lane = static_cast<std::uint32_t>(SplitMix64(seed) >> 32);
  }
  for (std::uint32_t& lane : m_state[0]) lane |= 1;
  m_pendingUsed = kLanes;
}

namespace {

// The steps of FractionGenerator's lanes, for the portable build of them and the AVX2 one,
// which steps eight lanes with each instruction instead of four: the same integers, and the
// same exact conversions.
template <typename State>
[[gnu::always_inline]] inline void StepLanes(State& state, float* out, std::size_t steps) {
  auto& [s0, s1, s2, s3] = state;
  constexpr std::size_t kLanes = std::tuple_size_v<typename State::value_type>;
  for (std::size_t step = 0; step < steps; ++step, out += kLanes) {
    std::uint32_t result[kLanes];
    for (std::size_t i = 0; i < kLanes; ++i) {
      result[i] = s0[i] + s3[i];
      const std::uint32_t t = s1[i] << 9;
      s2[i] ^= s0[i];
      s3[i] ^= s1[i];
      s1[i] ^= s2[i];
      s0[i] ^= s3[i];
      s2[i] ^= t;
      s3[i] = (s3[i] << 11) | (s3[i] >> 21);
    }
    // The top 24 bits, the good ones of xoshiro128+, as a float in [0, 1): exact.
    for (std::size_t i = 0; i < kLanes; ++i) {
      out[i] = static_cast<float>(static_cast<std::int32_t>(result[i] >> 8)) * 0x1p-24f;
    }
  }
}

#if defined(__x86_64__)
// StepLanes with AVX2, sixteen lanes at a time: their state stays in eight registers for all
// the steps, where all thirty-two lanes' would not fit and would go through memory each step.
template <typename State>
[[gnu::target("avx2")]] void StepLanesAvx2(State& state, float* out, std::size_t steps) {
  constexpr std::size_t kLanes = std::tuple_size_v<typename State::value_type>;
  static_assert(kLanes % 16 == 0);
  const __m256 scale = _mm256_set1_ps(0x1p-24f);
  for (std::size_t lane = 0; lane < kLanes; lane += 16) {
    __m256i s[4][2];
    for (std::size_t w = 0; w < 4; ++w) {
      for (std::size_t h = 0; h < 2; ++h) {
        s[w][h] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&state[w][lane + 8 * h]));
      }
    }
    for (std::size_t step = 0; step < steps; ++step) {
      for (std::size_t h = 0; h < 2; ++h) {
        auto& [s0, s1, s2, s3] = s;
        const __m256i result = _mm256_add_epi32(s0[h], s3[h]);
        const __m256i t = _mm256_slli_epi32(s1[h], 9);
        s2[h] = _mm256_xor_si256(s2[h], s0[h]);
        s3[h] = _mm256_xor_si256(s3[h], s1[h]);
        s1[h] = _mm256_xor_si256(s1[h], s2[h]);
        s0[h] = _mm256_xor_si256(s0[h], s3[h]);
        s2[h] = _mm256_xor_si256(s2[h], t);
        s3[h] = _mm256_or_si256(_mm256_slli_epi32(s3[h], 11), _mm256_srli_epi32(s3[h], 21));
        const __m256 fraction =
            _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_srli_epi32(result, 8)), scale);
        _mm256_storeu_ps(out + step * kLanes + lane + 8 * h, fraction);
      }
    }
    for (std::size_t w = 0; w < 4; ++w) {
      for (std::size_t h = 0; h < 2; ++h) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(&state[w][lane + 8 * h]), s[w][h]);
      }
    }
  }
}
#endif

}  // namespace

void FractionGenerator::Step(float* out, std::size_t steps) {
#if defined(__x86_64__)
  if (Avx2Enabled()) return StepLanesAvx2(m_state, out, steps);
#endif
  StepLanes(m_state, out, steps);
}

void FractionGenerator::Fill(std::span<float> fractions) {
  // The pending fractions copied whole, and the count kept in a local: a wave draws a few
  // dozen for each short line, and a loop of one at a time stored the count at each.
  float* const out = fractions.data();
  const std::size_t n = fractions.size();
  std::size_t i = std::min(n, kLanes - m_pendingUsed);
  std::memcpy(out, m_pending.data() + m_pendingUsed, i * sizeof(float));
  m_pendingUsed += i;
  const std::size_t steps = (n - i) / kLanes;
  Step(out + i, steps);
  i += steps * kLanes;
  if (i < n) {
    Step(m_pending.data(), 1);
    m_pendingUsed = n - i;
    std::memcpy(out + i, m_pending.data(), m_pendingUsed * sizeof(float));
  }
}

ClockSeededRandom::ClockSeededRandom() { ReseedFromClock(); }

ClockSeededRandom::ClockSeededRandom(std::uint64_t seed) : m_engine(seed), m_fractions(seed) {}

double ClockSeededRandom::NextFraction() {
  // 53 random bits scaled by 2^-53: exactly representable and never 1.
  return static_cast<double>(m_engine() >> 11) * 0x1p-53;
}

void ClockSeededRandom::NextFractions(std::span<float> fractions) { m_fractions.Fill(fractions); }

void ClockSeededRandom::ReseedFromClock() {
  const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  std::random_device device;
  std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32),
                     device(), device()};
  m_engine.seed(seed);
  std::array<std::uint32_t, 2> words;
  seed.generate(words.begin(), words.end());
  m_fractions.Seed(std::uint64_t{words[0]} << 32 | words[1]);
}

}  // namespace tintrix
