#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <type_traits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "engine/cpufeatures.h"

#include "engine/colorcount.h"
#include "engine/internal/markupwriter.h"
#include "engine/randomsource.h"
#include "engine/text.h"

// The parts every fade is made of, whatever markup it is written in: the cut, the blend of a
// segment and the wave. Only the engine's writers use them.
namespace tintrix::fadeparts {

using markup::kBlock;

struct Segments {
  std::array<std::size_t, kMaxFadeColors - 1> lengths{};
  std::size_t count = 0;
};

inline Segments CutText(ColorCount count, std::size_t n,
                        const std::function<void()>& letEventsRun) {
  Segments segments;
  segments.count = count.segments();
  if (count.value() == 2) {
    segments.lengths[0] = n;
  } else if (count.value() == 3) {
    // n / 2 rounded half to even: an odd n has its half between two whole numbers.
    const std::size_t floorHalf = n / 2;
    segments.lengths[0] = (n % 2 == 0 || floorHalf % 2 == 0) ? floorHalf : floorHalf + 1;
    segments.lengths[1] = n - segments.lengths[0];
  } else {
    // Dealing one character per segment and pass: every segment gets n / S, and the first
    // n % S one more (so with fewer characters than segments, the last ones stay empty). Only the
    // passes themselves are worth walking, for the events they let run.
    if (letEventsRun) {
      const std::size_t passes = n == 0 ? 1 : (n + segments.count - 1) / segments.count;
      for (std::size_t pass = 0; pass < passes; ++pass) letEventsRun();
    }
    for (std::size_t j = 0; j < segments.count; ++j) {
      segments.lengths[j] = n / segments.count + (j < n % segments.count ? 1 : 0);
    }
  }
  return segments;
}

template <typename Real>
struct ChannelBlend {
  Real start;
  Real step;

  // The blend of one channel from `from` to `to` over a segment of m characters: every fade's
  // and every fit's, so that the two can never round apart.
  static ChannelBlend Between(int from, int to, std::size_t m) {
    return {static_cast<Real>(from), static_cast<Real>(to - from) / static_cast<Real>(m)};
  }

  // No clamp to 0 ... 255 is needed: the sum strays from the exact blend, which lies between
  // the two channel values, by a few units in the last place of 255 at most, far less than
  // the half that rounding would need to leave them.
  std::int32_t At(Real i) const {
    const Real product = i * step;
    const Real sum = start + product;
    return static_cast<std::int32_t>(RoundHalfEven(sum));
  }
};

#if defined(__x86_64__)
// SegmentBlend's FillPadded eight characters at a time with AVX2, the same operations in the
// same order as ChannelBlend::At: the same roundings. Only for processors that have it.
[[gnu::target("avx2")]] inline void FillAvx2(ChannelBlend<float> red, ChannelBlend<float> green,
                                             ChannelBlend<float> blue, std::size_t first,
                                             std::size_t count, std::uint32_t* packed) {
  const __m256 round = _mm256_set1_ps(12582912.0f);
  const __m256 starts[3] = {_mm256_set1_ps(red.start), _mm256_set1_ps(green.start),
                            _mm256_set1_ps(blue.start)};
  const __m256 steps[3] = {_mm256_set1_ps(red.step), _mm256_set1_ps(green.step),
                           _mm256_set1_ps(blue.step)};
  const auto channel = [&](int c, __m256 x) __attribute__((target("avx2"))) {
    const __m256 sum = _mm256_add_ps(starts[c], _mm256_mul_ps(x, steps[c]));
    return _mm256_cvttps_epi32(_mm256_sub_ps(_mm256_add_ps(sum, round), round));
  };
  __m256i index = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(first)),
                                   _mm256_set_epi32(7, 6, 5, 4, 3, 2, 1, 0));
  for (std::size_t j = 0; j < count; j += 8) {
    const __m256 x = _mm256_cvtepi32_ps(index);
    const __m256i rgb = _mm256_or_si256(
        _mm256_or_si256(_mm256_slli_epi32(channel(0, x), 16), _mm256_slli_epi32(channel(1, x), 8)),
        channel(2, x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(packed + j), rgb);
    index = _mm256_add_epi32(index, _mm256_set1_epi32(8));
  }
}
#endif

// The colour words of the characters of one segment.
template <typename Real>
class SegmentBlend {
 public:
  SegmentBlend(const Channels& from, const Channels& to, std::size_t m)
      : m_red(Blend(from.red, to.red, m)),
        m_green(Blend(from.green, to.green, m)),
        m_blue(Blend(from.blue, to.blue, m)) {}

  // Fill, where packed has room for count rounded up to a multiple of 8, which may be
  // written: single precision four or eight characters at a time, with no steps apart for
  // the last few, as short segments are most of a short text's.
  void FillPadded(std::size_t first, std::size_t count, std::uint32_t* packed) const {
#if defined(__SSE2__)
    if constexpr (std::is_same_v<Real, float>) {
      if (count < 64 && first + count + 7 <= static_cast<std::size_t>(INT32_MAX)) {
        if (Avx2Enabled()) return FillAvx2(m_red, m_green, m_blue, first, count, packed);
        // The same operations as ChannelBlend::At, in the same order: the same roundings.
        // The blends in registers, which the stores through packed would otherwise reload.
        const __m128 round = _mm_set1_ps(12582912.0f);
        const __m128 starts[3] = {_mm_set1_ps(m_red.start), _mm_set1_ps(m_green.start),
                                  _mm_set1_ps(m_blue.start)};
        const __m128 steps[3] = {_mm_set1_ps(m_red.step), _mm_set1_ps(m_green.step),
                                 _mm_set1_ps(m_blue.step)};
        const auto channel = [&](int c, __m128 x) {
          const __m128 sum = _mm_add_ps(starts[c], _mm_mul_ps(x, steps[c]));
          return _mm_cvttps_epi32(_mm_sub_ps(_mm_add_ps(sum, round), round));
        };
        __m128i index =
            _mm_add_epi32(_mm_set1_epi32(static_cast<int>(first)), _mm_set_epi32(3, 2, 1, 0));
        for (std::size_t j = 0; j < count; j += 4) {
          const __m128 x = _mm_cvtepi32_ps(index);
          const __m128i rgb = _mm_or_si128(
              _mm_or_si128(_mm_slli_epi32(channel(0, x), 16), _mm_slli_epi32(channel(1, x), 8)),
              channel(2, x));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(packed + j), rgb);
          index = _mm_add_epi32(index, _mm_set1_epi32(4));
        }
        return;
      }
    }
#endif
    Fill(first, count, packed);
  }

  // The colours of characters first ... first + count - 1 of the segment as 0xRRGGBB.
  void Fill(std::size_t first, std::size_t count, std::uint32_t* packed) const {
    // Every operation of the blend rounds monotonically, so no channel ever turns back: when
    // the ends of a block differ by a few steps only, as in long fades, a few values found by
    // halving the block settle all of it.
    if (count >= 64) {
      const std::size_t last = first + count - 1;
      const Values a = At(first);
      const Values b = At(last);
      if (static_cast<std::size_t>(a.StepsTo(b)) * 64 <= count) {
        FillRuns(first, a, last, b,
                 [&](std::size_t i, const Values& v) { packed[i - first] = v.Packed(); });
        return;
      }
    }
    // One loop for the three channels, which the compiler makes a few characters at a time;
    // 32-bit counters convert to floating point in vector registers, 64-bit ones do not. The
    // blends are copied so that the compiler need not check that `packed` leaves them be.
    if (first + count <= static_cast<std::size_t>(INT32_MAX)) {
      const ChannelBlend<Real> red = m_red, green = m_green, blue = m_blue;
      const auto base = static_cast<std::int32_t>(first);
      const auto n = static_cast<std::int32_t>(count);
      for (std::int32_t j = 0; j < n; ++j) {
        const auto x = static_cast<Real>(base + j);
        packed[j] = static_cast<std::uint32_t>(red.At(x) << 16 | green.At(x) << 8 | blue.At(x));
      }
    } else {
      for (std::size_t j = 0; j < count; ++j) packed[j] = At(first + j).Packed();
    }
  }

 private:
  struct Values {
    std::int32_t red;
    std::int32_t green;
    std::int32_t blue;

    bool operator==(const Values&) const = default;
    std::int32_t StepsTo(const Values& other) const {
      return std::abs(other.red - red) + std::abs(other.green - green) +
             std::abs(other.blue - blue);
    }
    std::uint32_t Packed() const {
      return static_cast<std::uint32_t>(red << 16 | green << 8 | blue);
    }
  };

  Values At(std::size_t i) const {
    const auto x = static_cast<Real>(i);
    return {m_red.At(x), m_green.At(x), m_blue.At(x)};
  }

  // Gives set(i, values) for the characters lo ... hi, whose ends have the values a and b.
  template <typename Set>
  void FillRuns(std::size_t lo, Values a, std::size_t hi, Values b, const Set& set) const {
    while (a != b && hi - lo > 1) {
      const std::size_t mid = lo + (hi - lo) / 2;
      const Values m = At(mid);
      FillRuns(lo, a, mid, m, set);
      lo = mid;
      a = m;
    }
    for (std::size_t i = lo; i < hi; ++i) set(i, a);
    set(hi, b);
  }

 private:
  static ChannelBlend<Real> Blend(int start, int end, std::size_t m) {
    return ChannelBlend<Real>::Between(start, end, m);
  }

  ChannelBlend<Real> m_red;
  ChannelBlend<Real> m_green;
  ChannelBlend<Real> m_blue;
};

// Wave::Draw's states (1 ... 3) and tag indexes (state before * 4 + state) of `count`
// characters from their fractions, after a character in state `previous`.
inline void WaveStates(const float* fractions, std::size_t count, std::uint8_t previous,
                       std::uint8_t* tagIndexes, std::uint8_t* states) {
  for (std::size_t j = 0; j < count; ++j) {
    const auto state = static_cast<std::uint8_t>(static_cast<int>(fractions[j] * 3.0f + 1.0f));
    tagIndexes[j] = static_cast<std::uint8_t>(previous * 4 + state);
    states[j] = previous = state;
  }
}

#if defined(__x86_64__)
// WaveStates 32 at a time: count must be a multiple of 32. The state before each character
// comes from the same registers, shifted by a byte, not from memory just stored, which would
// wait for the stores.
[[gnu::target("avx2")]] inline void WaveStatesAvx2(const float* fractions, std::size_t count,
                                                   std::uint8_t previous, std::uint8_t* tagIndexes,
                                                   std::uint8_t* states) {
  const __m256 three = _mm256_set1_ps(3.0f);
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  __m256i last = _mm256_set1_epi8(static_cast<char>(previous));
  for (std::size_t j = 0; j < count; j += 32) {
    __m256i state[4];
    for (std::size_t k = 0; k < 4; ++k) {
      const __m256 f = _mm256_loadu_ps(fractions + j + 8 * k);
      state[k] = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(f, three), one));
    }
    const __m256i words = _mm256_packus_epi16(_mm256_packs_epi32(state[0], state[1]),
                                              _mm256_packs_epi32(state[2], state[3]));
    const __m256i now = _mm256_permutevar8x32_epi32(words, order);
    // Each byte's state before: the bytes moved up by one, the last one before in front.
    const __m256i before = _mm256_alignr_epi8(now, _mm256_permute2x128_si256(last, now, 0x21), 15);
    const __m256i indexes = _mm256_add_epi8(_mm256_slli_epi16(before, 2), now);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(tagIndexes + j), indexes);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(states + j), now);
    last = now;
  }
}
#endif

// The wave: a random state for every character, 1 lowered, 2 raised, 3 on the line.
class Wave {
 public:
  explicit Wave(RandomSource* random) : m_random(random) {}

  // Draws the states of the next `count` (at most kBlock) characters: for each, the index of
  // its tags in kWaveTags, and its state. Both arrays hold kBlock: they may be written past
  // `count`, up to the next multiple of 32.
  void Draw(std::size_t count, std::uint8_t* tagIndexes, std::uint8_t* states) {
    static_assert(kBlock % 32 == 0);
    if (count == 0) return;
    alignas(32) float fractions[kBlock];
    m_random->NextFractions({fractions, count});
#if defined(__x86_64__)
    if (Avx2Enabled()) {
      const std::size_t whole = (count + 31) / 32 * 32;
      std::fill(fractions + count, fractions + whole, 0.0f);
      WaveStatesAvx2(fractions, whole, m_previous, tagIndexes, states);
      m_previous = states[count - 1];
      return;
    }
#endif
    WaveStates(fractions, count, m_previous, tagIndexes, states);
    m_previous = states[count - 1];
  }

 private:
  RandomSource* m_random;
  std::uint8_t m_previous = 0;  // none before the first character
};

}  // namespace tintrix::fadeparts
