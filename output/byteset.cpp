#include "output/byteset.h"

#include <algorithm>
#include <cstddef>

#include "engine/cpufeatures.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tintrix {

namespace {

#if defined(__x86_64__)
// The bits of the members among 32 bytes: nonzero where a byte is one. `low` and `high` hold
// the rows in both halves.
[[gnu::target("avx2")]] inline __m256i Members(const char* at, __m256i low, __m256i high) {
  const __m256i bits = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128,
                                        1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  const __m256i lowHalf = _mm256_and_si256(bytes, nibble);
  const __m256i highHalf = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble);
  // A byte's own high bit picks the row of the high eight.
  const __m256i row = _mm256_blendv_epi8(_mm256_shuffle_epi8(low, lowHalf),
                                         _mm256_shuffle_epi8(high, lowHalf), bytes);
  return _mm256_and_si256(row, _mm256_shuffle_epi8(bits, highHalf));
}

[[gnu::target("avx2")]] bool AnyInAvx2(const char* text, std::size_t size,
                                       const std::uint8_t* rows) {
  const __m256i low =
      _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(rows)));
  const __m256i high =
      _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(rows + 16)));
  for (std::size_t i = 0; i + 32 <= size; i += 32) {
    const __m256i found = Members(text + i, low, high);
    if (!_mm256_testz_si256(found, found)) return true;
  }
  // The last 32 bytes, some of them looked at again.
  const __m256i found = Members(text + size - 32, low, high);
  return !_mm256_testz_si256(found, found);
}
#endif

}  // namespace

ByteSet::ByteSet(const std::array<bool, 256>& members) : m_members(members) {
  for (unsigned b = 0; b < 256; ++b) {
    if (!members[b]) continue;
    const unsigned h = b >> 4;
    m_rows[(b & 0x0F) + 16 * (h / 8)] |= static_cast<std::uint8_t>(1u << (h % 8));
  }
}

bool ByteSet::AnyIn(std::string_view text) const {
#if defined(__x86_64__)
  if (text.size() >= 32 && Avx2Enabled()) return AnyInAvx2(text.data(), text.size(), m_rows.data());
#endif
  return std::any_of(text.begin(), text.end(),
                     [&](char c) { return m_members[static_cast<unsigned char>(c)]; });
}

}  // namespace tintrix
