#include "engine/cpufeatures.h"

#include <atomic>
#include <cstdlib>

namespace tintrix {

namespace {

std::atomic<bool>& Enabled() {
  static std::atomic<bool> enabled = [] {
    const char* const portable = std::getenv("TINTRIX_NO_AVX2");
    return Avx2Available() && (portable == nullptr || *portable == '\0');
  }();
  return enabled;
}

}  // namespace

bool Avx2Available() {
#if defined(__x86_64__)
  static const bool available = __builtin_cpu_supports("avx2") != 0;
  return available;
#else
  return false;
#endif
}

bool Avx2Enabled() { return Enabled().load(std::memory_order_relaxed); }

void EnableAvx2(bool on) { Enabled().store(on && Avx2Available(), std::memory_order_relaxed); }

}  // namespace tintrix
