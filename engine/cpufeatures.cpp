#include "engine/cpufeatures.h"

#include <cstdlib>

namespace tintrix {

bool cpu_internal::DecideAvx2() {
  const char* const portable = std::getenv("TINTRIX_NO_AVX2");
  const bool enabled = Avx2Available() && (portable == nullptr || *portable == '\0');
  // Only the first decision stands: EnableAvx2 may have spoken in between.
  signed char unknown = -1;
  g_avx2Enabled.compare_exchange_strong(unknown, static_cast<signed char>(enabled),
                                        std::memory_order_relaxed);
  return g_avx2Enabled.load(std::memory_order_relaxed) != 0;
}

bool Avx2Available() {
#if defined(__x86_64__)
  static const bool available = __builtin_cpu_supports("avx2") != 0;
  return available;
#else
  return false;
#endif
}

void EnableAvx2(bool on) {
  cpu_internal::g_avx2Enabled.store(static_cast<signed char>(on && Avx2Available()),
                                    std::memory_order_relaxed);
}

}  // namespace tintrix
