#include "engine/internal/formatwriter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>

#include "engine/internal/fadewriter.h"
#include "engine/internal/flatwriter.h"
#include "engine/internal/formatcodes.h"
#include "engine/internal/runwriter.h"
#include "engine/internal/segmentcolors.h"
#include "engine/internal/textescapes.h"

namespace tintrix::markup {

namespace {

using fadeparts::Segments;
using fadeparts::Wave;

// Fills the colours of a text cut into `segments` a block at a time, and hands each block to
// block(rgb, count, changesOften): kBlock characters, the last fewer. The blocks run across the
// segments' ends, so a short text is one block however many segments it has.
template <typename Real, typename Block>
Status ForEachColorBlock(std::span<const Channels> colors, const Segments& segments,
                         BlendSpace space, Block block) {
  std::uint32_t rgb[kBlock + 7];
  std::size_t filled = 0;
  bool changesOften = false;
  for (std::size_t k = 0; k < segments.count; ++k) {
    const std::size_t m = segments.lengths[k];
    if (m == 0) continue;
    const SegmentColors<Real> blend(space, colors[k], colors[k + 1], m);
    // No segment has more colours than steps between its ends.
    const bool often = m < 4 * StepsBetween(colors[k], colors[k + 1]);
    for (std::size_t first = 1; first <= m;) {
      const std::size_t count = std::min(kBlock - filled, m - first + 1);
      blend.FillPadded(first, count, rgb + filled);
      filled += count;
      first += count;
      changesOften |= often;
      if (filled == kBlock) {
        TINTRIX_RETURN_IF_ERROR(block(rgb, filled, changesOften));
        filled = 0;
        changesOften = false;
      }
    }
  }
  if (filled > 0) TINTRIX_RETURN_IF_ERROR(block(rgb, filled, changesOften));
  return Status::Ok();
}

template <MarkupFormat kFormat, bool kBytes, typename Real>
Status WriteSegments(std::span<const Channels> colors, const Segments& segments,
                     const CharacterText& text, bool wavy, const MarkupOptions& options, Wave& wave,
                     const FadeHooks& hooks, std::string& out) {
  FadeWriter<kFormat, kBytes> writer(text, wavy, options, wave, hooks, out);
  TINTRIX_RETURN_IF_ERROR(
      ForEachColorBlock<Real>(colors, segments, options.blend,
                              [&](std::uint32_t* rgb, std::size_t count, bool changesOften) {
                                return writer.Write(rgb, count, changesOften);
                              }));
  writer.Finish();
  return Status::Ok();
}

// A short text's one block, from colours made before.
template <MarkupFormat kFormat, bool kBytes>
Status WriteShortBlock(const ShortFadeColors::Kept& kept, const CharacterText& text, bool wavy,
                       const MarkupOptions& options, Wave& wave, const FadeHooks& hooks,
                       std::string& out) {
  FadeWriter<kFormat, kBytes> writer(text, wavy, options, wave, hooks, out);
  const std::size_t n = text.size();
  if constexpr (kTraits<kFormat>.spelling != ColorSpelling::kDecimal) {
    // The colours as this format and these levels write them, made by the first text of the
    // length and kept for the others.
    ShortFadeColors::Words& words = *kept.words;
    const int key = static_cast<int>(kFormat) * 512 + options.levels;
    if (words.key != key) {
      std::copy_n(kept.rgb, n, words.rgb.data());
      writer.Reduce(words.rgb.data(), n);
      MakeHexWords<kFormat>(words.rgb.data(), n, words.halves.data());
      words.key = key;
    }
    TINTRIX_RETURN_IF_ERROR(writer.WriteMade(words.rgb.data(), words.halves.data(), n));
  } else {
    // A copy: the writer reduces the colours to the levels in place.
    std::uint32_t rgb[kBlock + 7];
    std::copy_n(kept.rgb, n, rgb);
    TINTRIX_RETURN_IF_ERROR(writer.Write(rgb, n, kept.changesOften));
  }
  writer.Finish();
  return Status::Ok();
}

template <MarkupFormat kFormat, bool kBytes>
Status WriteColors(std::span<const std::uint32_t> colors, const CharacterText& text, bool wavy,
                   const MarkupOptions& options, Wave& wave, const FadeHooks& hooks,
                   std::string& out) {
  FadeWriter<kFormat, kBytes> writer(text, wavy, options, wave, hooks, out);
  std::uint32_t rgb[kBlock];
  for (std::size_t first = 0; first < colors.size(); first += kBlock) {
    const std::size_t count = std::min(kBlock, colors.size() - first);
    std::copy_n(colors.data() + first, count, rgb);
    std::size_t changes = 0;
    for (std::size_t j = 1; j < count; ++j) changes += rgb[j] != rgb[j - 1];
    TINTRIX_RETURN_IF_ERROR(writer.Write(rgb, count, 2 * changes > count));
  }
  writer.Finish();
  return Status::Ok();
}

template <typename Real>
void FillFadeColors(std::span<const Channels> colors, const Segments& segments, BlendSpace blend,
                    std::uint32_t* rgb) {
  for (std::size_t k = 0; k < segments.count; ++k) {
    const std::size_t m = segments.lengths[k];
    if (m == 0) continue;
    SegmentColors<Real>(blend, colors[k], colors[k + 1], m).Fill(1, m, rgb);
    rgb += m;
  }
}

// A format's writers, one instance per entry of kFormats: the fade through its colours, or a
// text in given colours.
template <MarkupFormat kFormat>
struct InFormat {
  static constexpr MarkupFormat kValue = kFormat;
  static Status Fade(std::span<const Channels> colors, const Segments& segments,
                     const CharacterText& text, bool wavy, const MarkupOptions& options, Wave& wave,
                     const FadeHooks& hooks, std::string& out);
  static Status Short(const ShortFadeColors::Kept& kept, const CharacterText& text, bool wavy,
                      const MarkupOptions& options, Wave& wave, const FadeHooks& hooks,
                      std::string& out) {
    return text.bytes()
               ? WriteShortBlock<kFormat, true>(kept, text, wavy, options, wave, hooks, out)
               : WriteShortBlock<kFormat, false>(kept, text, wavy, options, wave, hooks, out);
  }
  static Status Colored(std::span<const std::uint32_t> rgb, const CharacterText& text, bool wavy,
                        const MarkupOptions& options, Wave& wave, const FadeHooks& hooks,
                        std::string& out) {
    return text.bytes() ? WriteColors<kFormat, true>(rgb, text, wavy, options, wave, hooks, out)
                        : WriteColors<kFormat, false>(rgb, text, wavy, options, wave, hooks, out);
  }
};

template <MarkupFormat kFormat>
Status InFormat<kFormat>::Fade(std::span<const Channels> colors, const Segments& segments,
                               const CharacterText& text, bool wavy, const MarkupOptions& options,
                               Wave& wave, const FadeHooks& hooks, std::string& out) {
  const bool twoColors = colors.size() == 2;
  if (text.bytes()) {
    return twoColors ? WriteSegments<kFormat, true, double>(colors, segments, text, wavy, options,
                                                            wave, hooks, out)
                     : WriteSegments<kFormat, true, float>(colors, segments, text, wavy, options,
                                                           wave, hooks, out);
  }
  return twoColors ? WriteSegments<kFormat, false, double>(colors, segments, text, wavy, options,
                                                           wave, hooks, out)
                   : WriteSegments<kFormat, false, float>(colors, segments, text, wavy, options,
                                                          wave, hooks, out);
}

// call(InFormat<F>{}) for the format F that `format` names.
template <typename Call, std::size_t... kIndex>
Status InAnyFormat(std::index_sequence<kIndex...>, MarkupFormat format, const Call& call) {
  // A table of the calls: the status comes back as made, never moved into one made before,
  // which short fades would pay for on every line.
  using Entry = Status (*)(const Call&);
  static constexpr Entry kCalls[] = {
      [](const Call& c) -> Status { return c(InFormat<static_cast<MarkupFormat>(kIndex)>{}); }...};
  return kCalls[static_cast<std::size_t>(format)](call);
}

template <typename Call>
Status InAnyFormat(MarkupFormat format, const Call& call) {
  return InAnyFormat(std::make_index_sequence<kFormats.size()>(), format, call);
}

}  // namespace

Status WriteFormattedFade(std::span<const Channels> colors, const Segments& segments,
                          const CharacterText& text, bool wavy, const MarkupOptions& options,
                          Wave& wave, const FadeHooks& hooks, std::string& out) {
  return InAnyFormat(options.format, [&](auto format) {
    return decltype(format)::Fade(colors, segments, text, wavy, options, wave, hooks, out);
  });
}

Status WriteColoredText(std::span<const std::uint32_t> rgb, const CharacterText& text, bool wavy,
                        const MarkupOptions& options, Wave& wave, const FadeHooks& hooks,
                        std::string& out) {
  return InAnyFormat(options.format, [&](auto format) {
    return decltype(format)::Colored(rgb, text, wavy, options, wave, hooks, out);
  });
}

bool FillShortFade(std::span<const Channels> colors, const Segments& segments, BlendSpace blend,
                   std::uint32_t* rgb) {
  static_assert(ShortFadeColors::kMaxCharacters == kBlock);
  bool often = false;
  const auto keep = [&](const std::uint32_t* block, std::size_t count, bool changesOften) {
    std::copy_n(block, count, rgb);
    often = changesOften;
    return Status::Ok();
  };
  // Never fails: keeping the block cannot.
  static_cast<void>(colors.size() == 2 ? ForEachColorBlock<double>(colors, segments, blend, keep)
                                       : ForEachColorBlock<float>(colors, segments, blend, keep));
  return often;
}

Status WriteShortFade(const ShortFadeColors::Kept& kept, const CharacterText& text, bool wavy,
                      const MarkupOptions& options, Wave& wave, const FadeHooks& hooks,
                      std::string& out) {
  return InAnyFormat(options.format, [&](auto format) {
    return decltype(format)::Short(kept, text, wavy, options, wave, hooks, out);
  });
}

std::array<bool, 256> PlainBytes(const MarkupOptions& options) {
  std::array<bool, 256> plain{};
  // Never fails: the call gives no status of its own.
  static_cast<void>(InAnyFormat(options.format, [&](auto format) {
    constexpr MarkupFormat kFormat = decltype(format)::kValue;
    using Rules = CharacterRules<kFormat>;
    for (unsigned char b = 0x20; b < 0x7F; ++b) {
      plain[b] = !NeedsEscape<kFormat, true>(b) && !Rules::kStandAlone.Has(b) &&
                 !Rules::kRetagStarts.Has(b) && !(options.skipBlanks && b == ' ');
    }
    // Every blank past ASCII (U+0085, U+00A0, U+1680, U+2000 ... U+205F, U+3000) starts with
    // one of these; the escapes and the rules look at each byte of a character.
    const auto blankLead = [](unsigned b) { return b == 0xC2 || (b >= 0xE1 && b <= 0xE3); };
    for (unsigned b = 0x80; b < 0x100; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      plain[b] = !NeedsEscape<kFormat, true>(byte) && !Rules::kStandAlone.Has(byte) &&
                 !Rules::kRetagStarts.Has(byte) && !(options.skipBlanks && blankLead(b));
    }
    return Status::Ok();
  }));
  return plain;
}

void FadeColors(std::span<const Channels> colors, const Segments& segments, BlendSpace blend,
                std::span<std::uint32_t> rgb) {
  // The generator's own precision: double for 2 colours, single otherwise.
  if (colors.size() == 2) {
    FillFadeColors<double>(colors, segments, blend, rgb.data());
  } else {
    FillFadeColors<float>(colors, segments, blend, rgb.data());
  }
}

}  // namespace tintrix::markup
