#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fadegenerator.h"
#include "engine/fadesettings.h"
#include "engine/status.h"

namespace tintrix {

// A fade ready to make the documents of any number of texts: its colour count and colours are
// checked once, its font and style tags fixed. Its text plays no part.
class FadeDocument {
 public:
  // The document of `fade` in the format `options` name, or with markupOnly its fade markup
  // alone: the format's document tags (FormatTraits) around the runs, and unless markupOnly
  // its font tag and the tags of the styles that are on (exactly 1), underline outermost and
  // bold innermost; in formats whose colour tags reset the styles, their codes follow every
  // colour tag instead. Fails as AppendFadeMarkup does. With ColorCounts::kAny, every count
  // from 2 to kMaxFadeColors selects a fade, and a number that is none of them fails with
  // kInvalidArgument: `The number of colours must be a whole number from 2 to 32: "TEXT"`.
  static StatusOr<FadeDocument> Create(const FadeSettings& fade, bool markupOnly,
                                       const MarkupOptions& options = {},
                                       ColorCounts counts = ColorCounts::kWindow);

  // Appends the document of text `characters` (SplitCharacters) as Append does, with
  // character i in colour rgb[i] (0xRRGGBB) instead of the fade's: FadeGenerator's
  // AppendInColors. Appends nothing of the fade for a count that selects none.
  Status AppendInColors(const CharacterText& characters, std::span<const std::uint32_t> rgb,
                        const FadeHooks& hooks, std::string& out) const;

  // The colours the fade gives a text of n characters (FadeGenerator::Colors); empty for a
  // count that selects no fade.
  std::vector<std::uint32_t> Colors(std::size_t n) const;

  // The bytes the fade writes as they are (FadeGenerator::PlainBytes); none for a count that
  // selects no fade.
  std::array<bool, 256> PlainBytes() const {
    return m_generator ? m_generator->PlainBytes() : std::array<bool, 256>{};
  }

  // The levels per channel its colours are reduced to (MarkupOptions::levels).
  int levels() const { return m_levels; }

  // Appends the document of `text` to `out`. Fails only when hooks.drain fails, with its
  // status; what is in `out` is then the drained part's rest.
  Status Append(std::string_view text, const FadeHooks& hooks, std::string& out) const;

  // Append for a text already cut into its characters (SplitCharacters).
  Status Append(const CharacterText& characters, const FadeHooks& hooks, std::string& out) const;

 private:
  FadeDocument(std::optional<FadeGenerator> generator, std::string open, std::string close,
               int levels)
      : m_generator(generator),
        m_open(std::move(open)),
        m_close(std::move(close)),
        m_levels(levels) {}

  std::optional<FadeGenerator> m_generator;  // none for a count that selects no fade
  std::string m_open;                        // the font and style tags
  std::string m_close;
  int m_levels;
};

// Appends the generator's markup for the fade: the request for colorCount colours with the
// first colours, the text and the wavy flag (wavy not 0). A count that is a number but none
// of 2, 3, 4, 5, 10 appends nothing. Fails, appending nothing, when colorCount is not a
// number (ParseNumberColors) or when one of the colours used is not a colour value
// (FadeRequest); both are kInvalidArgument.
// The fade is taken by value: the hooks let window events run while the text is dealt, and
// those may change the window's fade, which must not change a fade half made.
Status AppendFadeMarkup(FadeSettings fade, const FadeHooks& hooks, std::string& out);

// The fade markup wrapped in the style tags that are on (Bold, Italic, Underlined exactly 1;
// bold innermost) and in the font tag: `<font face="FONT">...</font>`, all on one line.
// Fails as AppendFadeMarkup does, or as hooks.drain does.
// Takes the fade by value for the same reason as AppendFadeMarkup.
StatusOr<std::string> BuildFadeDocument(FadeSettings fade, const FadeHooks& hooks);

}  // namespace tintrix
