#pragma once

#include <atomic>

namespace tintrix {

namespace cpu_internal {
// -1 until first asked, then whether the AVX2 paths are taken.
inline std::atomic<signed char> g_avx2Enabled{-1};
// Decides it from the processor and the environment, and keeps it.
bool DecideAvx2();
}  // namespace cpu_internal

// Whether the fades and the cut into characters take their AVX2 paths: where the processor
// has AVX2, unless the environment sets TINTRIX_NO_AVX2 (to anything but nothing) when this
// is first asked. Every path gives the same bytes; the portable ones run on any x86-64
// processor (and elsewhere, as plain C++). Inline: the writers ask it several times a line.
inline bool Avx2Enabled() {
  const signed char enabled = cpu_internal::g_avx2Enabled.load(std::memory_order_relaxed);
  if (enabled < 0) [[unlikely]]
    return cpu_internal::DecideAvx2();
  return enabled != 0;
}

// Whether this processor has AVX2 at all.
bool Avx2Available();

// Turns the AVX2 paths off, or back on where the processor has them, for the whole process:
// lets the tests and fuzzers run both paths and compare them.
void EnableAvx2(bool on);

}  // namespace tintrix
