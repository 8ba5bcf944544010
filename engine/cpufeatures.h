#pragma once

namespace tintrix {

// Whether the fades and the cut into characters take their AVX2 paths: where the processor
// has AVX2, unless the environment sets TINTRIX_NO_AVX2 (to anything but nothing) when this
// is first asked. Every path gives the same bytes; the portable ones run on any x86-64
// processor (and elsewhere, as plain C++).
bool Avx2Enabled();

// Whether this processor has AVX2 at all.
bool Avx2Available();

// Turns the AVX2 paths off, or back on where the processor has them, for the whole process:
// lets the tests and fuzzers run both paths and compare them.
void EnableAvx2(bool on);

}  // namespace tintrix
