#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "engine/blendspace.h"
#include "engine/colorcount.h"
#include "engine/colorstops.h"
#include "engine/contrast.h"
#include "engine/fadesettings.h"
#include "engine/status.h"
#include "output/fadedocument.h"

// The colours the companion gives a text's characters before they are written: the fade's
// own, or those of its colours at the positions given ("--color 2=red@30"), then raised to a
// least contrast against the page (--min-contrast). Every mode of the job (the line stream,
// the block) takes its colours from here, so that positions and contrast apply alike.

namespace tintrix {

// What the command line asks of the colours.
struct ColorStageOptions {
  // Each colour's position in tenths of a percent (ParseStopPosition), by colour slot; none
  // for a colour given without one.
  std::array<std::optional<int>, kMaxFadeColors> positions{};
  std::optional<Channels> background;  // the page's colour
  std::optional<int> minContrast;      // the least contrast ratio, in thousandths (1000 ... 21000)
  bool tally = false;                  // --stats: count what the contrast rule sees
};

// The colours of n characters, and which of them the contrast rule changed (1) or not (0).
struct StageColors {
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB
  std::vector<std::uint8_t> changed;
};

// What the documents' colours were against the background, for --stats.
struct ContrastCount {
  std::optional<double> lowest;  // the lowest contrast ratio; none without characters
  std::size_t changed = 0;       // the characters the contrast rule changed
};

// Counts the characters' colours against the background.
class ContrastTally {
 public:
  explicit ContrastTally(const Channels& background) : m_background(background) {}

  // Counts one character of colour `rgb` (0xRRGGBB), changed by the contrast rule or not.
  void Add(std::uint32_t rgb, bool changed);

  // Counts the characters of `colors` (as ColorStage::Colors gives them), as a document
  // written with `levels` levels per channel (DocumentStream::LastLevels) shows them.
  void Add(std::span<const std::uint32_t> rgb, std::span<const std::uint8_t> changed,
           int levels = 256);

  const ContrastCount& count() const { return m_count; }

 private:
  Channels m_background;
  ContrastCount m_count;
  std::unordered_map<std::uint32_t, double> m_ratios;
};

class ColorStage {
 public:
  // The stage of `fade` as `document` (made from it with `blend`) writes it; nullopt when it
  // would give every character the fade's own colour and nothing is to be counted, so that the
  // documents are made as they always were. Fails with kUsage, naming both colours, when a
  // position among the fade's colours is before an earlier one's, and with kInvalidArgument
  // when no colour of any lightness reaches minContrast against the background, or as
  // FadeDocument::Create does on the fade's colours.
  static StatusOr<std::optional<ColorStage>> Create(const FadeSettings& fade,
                                                    const FadeDocument& document, BlendSpace blend,
                                                    const ColorStageOptions& options);

  // The colours of a text of n characters: the fade's (FadeDocument::Colors), or with
  // positions StopColors', each then raised to the least contrast (ContrastRaise::Raise).
  StageColors Colors(std::size_t n) const;

  // A tally against the background, when one is given.
  std::optional<ContrastTally> NewTally() const;

  // Appends made's document of `characters` in colours `rgb` (as Colors gives them, moved or
  // not), as FadeDocument::AppendInColors does. A document that reduces its colours to fewer
  // levels (--max-length's later tries) can take a raised colour below the least contrast
  // again: such a document fails with kOutOfRange, appending nothing.
  Status Append(const FadeDocument& made, const CharacterText& characters,
                std::span<const std::uint32_t> rgb, const FadeHooks& hooks, std::string& out) const;

 private:
  ColorStage(FadeDocument document, BlendSpace blend)
      : m_document(std::move(document)), m_blend(blend) {}

  FadeDocument m_document;
  BlendSpace m_blend;
  std::vector<Channels> m_colors;   // with positions: the fade's colours
  std::vector<StopPlace> m_places;  // and their places; empty without positions
  std::optional<Channels> m_background;
  std::optional<ContrastRaise> m_raise;
  double m_minContrast = 1;  // with m_raise
  // The raised colour of each colour raised so far.
  mutable std::unordered_map<std::uint32_t, std::uint32_t> m_raised;
};

// Appends made's document of `characters` in colours `rgb`: through the stage
// (ColorStage::Append), which keeps its contrast, when there is one.
inline Status AppendInColors(const ColorStage* stage, const FadeDocument& made,
                             const CharacterText& characters, std::span<const std::uint32_t> rgb,
                             const FadeHooks& hooks, std::string& out) {
  return stage ? stage->Append(made, characters, rgb, hooks, out)
               : made.AppendInColors(characters, rgb, hooks, out);
}

// The contrast ratio as --stats writes it: two decimals, rounded down so that it never
// claims more than there is ("4.49" for 4.4999).
std::string ContrastRatioText(double ratio);

// A colour as messages name it: "#RRGGBB".
std::string ColorName(const Channels& color);

}  // namespace tintrix
