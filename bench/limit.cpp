// What the machine allows a companion run: read the whole input, then write as many bytes as
// its document holds, each stored first with memset into a 1 MiB buffer, as the companion
// stores each byte of markup it makes. bench/companion_limit.py times the companion against it.
//
//   tintrix_limit BYTES < input > output
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tintrix_limit BYTES < input > output\n");
    return 2;
  }
  char* end = nullptr;
  unsigned long long left = std::strtoull(argv[1], &end, 10);
  if (*argv[1] == '\0' || *end != '\0') {
    std::fprintf(stderr, "tintrix_limit: not a byte count: %s\n", argv[1]);
    return 2;
  }
  constexpr std::size_t kBuffer = std::size_t{1} << 20;
  std::vector<char> buffer(kBuffer);
  for (ssize_t got; (got = read(0, buffer.data(), kBuffer)) != 0;) {
    if (got < 0 && errno != EINTR) return 1;
  }
  for (unsigned char fill = 'a'; left > 0; fill = fill == 'z' ? 'a' : fill + 1) {
    const std::size_t size = left < kBuffer ? static_cast<std::size_t>(left) : kBuffer;
    std::memset(buffer.data(), fill, size);
    for (std::size_t put = 0; put < size;) {
      const ssize_t wrote = write(1, buffer.data() + put, size - put);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote < 0) return 1;
      put += static_cast<std::size_t>(wrote);
    }
    left -= size;
  }
  return 0;
}
