#pragma once

#include <algorithm>

// Whether the tests run under AddressSanitizer: GCC says so with a macro, clang through
// __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define TINTRIX_UNDER_SANITIZERS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TINTRIX_UNDER_SANITIZERS 1
#endif
#endif

namespace tintrix::testing {

#if defined(TINTRIX_UNDER_SANITIZERS)
inline constexpr bool kUnderSanitizers = true;
#else
inline constexpr bool kUnderSanitizers = false;
#endif

// The number of random cases a property test takes: `n`, or a tenth of it (at least one)
// under the sanitizers, which run the search of stops some fifty times slower. The dev build
// runs them all.
constexpr int Trials(int n) { return kUnderSanitizers ? std::max(1, n / 10) : n; }

}  // namespace tintrix::testing
