#include "tests/fuzz/fuzzinput.h"

#include <cstdio>
#include <cstdlib>

namespace tintrix::fuzz {

void Fail(const char* what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

}  // namespace tintrix::fuzz
