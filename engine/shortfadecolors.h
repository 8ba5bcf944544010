#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/blendspace.h"
#include "engine/color.h"
#include "engine/colorcount.h"

namespace tintrix {

// The colours of short fades kept by length, for a caller that fades many texts one after
// another (FadeHooks::shortColors): a fade's colours depend on its text's length alone, and
// for a short text working them out costs as much as writing them. Kept for one fade at a
// time; a fade through other colours or in another blend starts afresh. Not for two threads
// at once.
class ShortFadeColors {
 public:
  // The longest text whose colours are kept: one block of the writers.
  static constexpr std::size_t kMaxCharacters = 256;
  // Each kept length's colours, with room for whole words past the last.
  using Colors = std::array<std::uint32_t, kMaxCharacters + 8>;

  // The colours as one format writes them, kept beside them for the writers' own use: reduced
  // to the levels and spelled as hex words, by the first text that asks.
  struct Words {
    int key = -1;  // the format and levels they are for; -1: none yet
    Colors rgb;
    std::array<std::uint32_t, 2 * (kMaxCharacters + 8)> halves;
  };

  struct Kept {
    const std::uint32_t* rgb;  // one per character, 0xRRGGBB, before any levels
    bool changesOften;         // most neighbours differ in colour
    Words* words;
  };

  ShortFadeColors();

  // The colours of a text of n (1 ... kMaxCharacters) characters in the fade through `colors`
  // in `blend`, made by fill(rgb) (which gives changesOften) the first time they are asked for.
  template <typename Fill>
  Kept Get(std::span<const Channels> colors, BlendSpace blend, std::size_t n, Fill fill) {
    if (!SameFade(colors, blend)) Reset(colors, blend);
    std::unique_ptr<Entry>& entry = m_entries[n];
    if (!entry) {
      // Made when first asked for: only the lengths that come take memory.
      entry = std::make_unique<Entry>();
      entry->changesOften = fill(entry->rgb.data());
    }
    return {entry->rgb.data(), entry->changesOften, &entry->words};
  }

 private:
  struct Entry {
    bool changesOften = false;
    Colors rgb;
    Words words;
  };

  bool SameFade(std::span<const Channels> colors, BlendSpace blend) const;
  void Reset(std::span<const Channels> colors, BlendSpace blend);

  std::vector<Channels> m_colors;
  BlendSpace m_blend = BlendSpace::kRgb;
  std::vector<std::unique_ptr<Entry>> m_entries;
};

}  // namespace tintrix
