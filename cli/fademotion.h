#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// A fade in motion. A text of n characters has a loop of 2n places: the fade's own n colours,
// then the same n colours backwards. At offset s (0 to 2n - 1) the fade has moved s places to
// the right along the loop: character i shows loop place (i - s) mod 2n. Offset 0 is the plain
// fade; every other option applies as it does to it.

namespace tintrix {

// What the command line asks to move, from one of --phase, --frames, --animate and --moving.
struct Motion {
  enum class Kind { kNone, kPhase, kFrames, kAnimate, kMoving };

  Kind kind = Kind::kNone;
  std::string_view option;        // the long name that asked for it, for messages
  int phase = 0;                  // --phase P as thousandths: -999 ... 999
  std::size_t frames = 1;         // --frames F: 1 ... kMaxFrames
  std::int64_t milliseconds = 0;  // --animate: how long it plays; --moving: one whole loop
};

inline constexpr std::size_t kMaxFrames = 100'000;
// How long --animate plays unless told, and at most; how long --moving's loop may take.
inline constexpr std::int64_t kDefaultAnimateMilliseconds = 5'000;
inline constexpr std::int64_t kMaxAnimateMilliseconds = 600'000;
inline constexpr std::int64_t kMinMovingMilliseconds = 100;
inline constexpr std::int64_t kMaxMovingMilliseconds = 3'600'000;

// The offset of --phase: floor(P x 2n) mod 2n, P being `thousandths` / 1000; 0 when n is 0.
std::size_t PhaseOffset(int thousandths, std::size_t n);

// The offset of frame k of `frames`: floor(k x 2n / frames).
std::size_t FrameOffset(std::size_t k, std::size_t frames, std::size_t n);

// The colours of one text at every offset, from the plain fade's colours.
class MotionLoop {
 public:
  // `plain`: the colours the plain fade gives the text's n characters, first to last.
  explicit MotionLoop(std::span<const std::uint32_t> plain);

  // 2n.
  std::size_t places() const { return 2 * m_n; }

  // The n characters' colours at offset s (below places(), or 0), first to last; valid while
  // the loop lives.
  std::span<const std::uint32_t> At(std::size_t s) const;

 private:
  std::size_t m_n;
  std::vector<std::uint32_t> m_places;  // the loop, then its first n places again
};

}  // namespace tintrix
