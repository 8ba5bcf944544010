#include "engine/internal/formatwriter.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>

#include "engine/internal/flatwriter.h"
#include "engine/internal/formatcodes.h"
#include "engine/internal/runwriter.h"
#include "engine/internal/segmentcolors.h"

namespace tintrix::markup {

namespace {

using fadeparts::Segments;
using fadeparts::Wave;

// Stores may run this far past the bytes a block means to write.
constexpr std::size_t kStoreSlack = 32;

// What one block of characters needs besides the text: their colours, hex words and wave
// states, the run so far and how the characters are written.
template <MarkupFormat kFormat>
struct BlockJob {
  const BlockInput& in;
  std::string_view bytes;
  std::size_t position;  // where the block's first character starts
  const MarkupOptions& options;
  const StyleCodes<kFormat>& styles;
  bool flat;  // every character has its whole tag
};

template <MarkupFormat kFormat, bool kBytes, bool kEscapes, bool kWordsMade>
char* WriteOneBlock(const BlockJob<kFormat>& job, CharacterText::Cursor& cursor, RunState& run,
                    char* p) {
  const BlockInput& in = job.in;
  if constexpr (kWritesFlat<kFormat>) {
    if (job.flat) {
      run.tags += in.count;
      const HexWords<kFormat, kWordsMade> words(in.rgb, in.halves);
      if (kBytes && in.states == nullptr) {
        return WriteFlatBytes<kFormat, kEscapes>(words, job.bytes.data() + job.position, in.count,
                                                 job.styles, p);
      }
      if constexpr (WritesWave(kFormat)) {
        if (in.states != nullptr) {
          const std::uint8_t* waves =
              kTraits<kFormat>.wave == WavePlace::kAfterColorTag ? in.transitions : in.states;
          return WriteFlat<kFormat, kBytes, true, kEscapes>(words, waves, job.bytes, job.position,
                                                            cursor, in.count, job.styles, p);
        }
      }
      return WriteFlat<kFormat, kBytes, false, kEscapes>(words, in.states, job.bytes, job.position,
                                                         cursor, in.count, job.styles, p);
    }
  }
  return WriteBlock<kFormat, kBytes, kEscapes>(in, job.bytes, job.position, cursor, job.options,
                                               job.styles, run, p);
}

// The steps between two colours: more than any segment between them has distinct colours.
std::size_t StepsBetween(const Channels& a, const Channels& b) {
  return static_cast<std::size_t>(std::abs(a.red - b.red) + std::abs(a.green - b.green) +
                                  std::abs(a.blue - b.blue));
}

template <MarkupFormat kFormat, bool kBytes, typename Real>
Status WriteSegments(std::span<const Channels> colors, const Segments& segments,
                     const CharacterText& text, bool wavy, const MarkupOptions& options, Wave& wave,
                     const FadeHooks& hooks, std::string& out) {
  constexpr std::size_t kMaxTagBytes = MaxTagBytes<kFormat>();
  constexpr bool kHex = kTraits<kFormat>.spelling != ColorSpelling::kDecimal;
  const std::string_view bytes = text.text();
  if (!hooks.drain) {
    // Room for a tag on every character, as most fades write, and for the most that the last
    // block may ask for; more grows as it must. Only ever more: this library's reserve also
    // shrinks, which would cost a caller's buffer.
    const std::size_t lastBlock = std::min(text.size(), kBlock) * kMaxTagBytes +
                                  std::min(bytes.size(), 16 * kBlock) * kMaxEscapeGrowth +
                                  kStoreSlack + kSlack;
    const std::size_t room =
        out.size() + bytes.size() + text.size() * TypicalTagBytes<kFormat>() + lastBlock;
    if (room > out.capacity()) out.reserve(room);
  }
  MarkupWriter writer(out, hooks);
  CharacterText::Cursor cursor(text);
  const std::optional<LevelTable> levels =
      options.levels < 256 ? std::optional<LevelTable>(options.levels) : std::nullopt;
  const bool drawsWave = wavy && WritesWave(kFormat);
  const StyleCodes<kFormat> styles(options);
  RunState run;
  std::size_t position = 0;
  std::uint32_t rgb[kBlock];
  std::uint8_t tagIndexes[kBlock];
  std::uint8_t states[kBlock];
  std::uint32_t halves[2 * kBlock];
  // Without the size options every character has its whole tag, in fixed-size copies.
  const bool flat = !options.merge && !options.skipBlanks && kWritesFlat<kFormat>;
  for (std::size_t k = 0; k < segments.count; ++k) {
    const std::size_t m = segments.lengths[k];
    if (m == 0) continue;
    const SegmentColors<Real> blend(options.blend, colors[k], colors[k + 1], m);
    // Where neighbours mostly change colour, the flat writers take words made beforehand.
    const bool makeWords = !flat || m < 4 * StepsBetween(colors[k], colors[k + 1]);
    for (std::size_t first = 1; first <= m; first += kBlock) {
      const std::size_t count = std::min(kBlock, m - first + 1);
      blend.Fill(first, count, rgb);
      if (levels) {
        for (std::size_t j = 0; j < count; ++j) rgb[j] = (*levels)(rgb[j]);
      }
      if (drawsWave) {
        wave.Draw(count, tagIndexes);
        for (std::size_t j = 0; j < count; ++j) states[j] = tagIndexes[j] & 3;
      }
      const std::size_t textBytes = kBytes ? count : cursor.EndAfter(count) - position;
      if constexpr (kHex) {
        if (makeWords) MakeHexWords<kFormat>(rgb, count, halves);
      }
      const BlockInput in{rgb, halves, drawsWave ? states : nullptr, tagIndexes, count};
      const BlockJob<kFormat> job{in, bytes, position, options, styles, flat};
      const bool escapes =
          AnyEscapeStart<kTraits<kFormat>.escape>(bytes.data() + position, textBytes);
      writer.Append(
          count * kMaxTagBytes + textBytes * kMaxEscapeGrowth + kStoreSlack, [&](char* p) {
            if (makeWords) {
              return escapes ? WriteOneBlock<kFormat, kBytes, true, true>(job, cursor, run, p)
                             : WriteOneBlock<kFormat, kBytes, false, true>(job, cursor, run, p);
            }
            return escapes ? WriteOneBlock<kFormat, kBytes, true, false>(job, cursor, run, p)
                           : WriteOneBlock<kFormat, kBytes, false, false>(job, cursor, run, p);
          });
      position += textBytes;
      TINTRIX_RETURN_IF_ERROR(writer.Written(count));
    }
  }
  if (!run.first) {
    writer.Append(kMaxTagBytes, [&](char* p) { return CloseRun<kFormat>(p, run, styles); });
  }
  if (hooks.colorTags) *hooks.colorTags += run.tags;
  return Status::Ok();
}

template <MarkupFormat kFormat>
Status WriteInFormat(std::span<const Channels> colors, const Segments& segments,
                     const CharacterText& text, bool wavy, const MarkupOptions& options, Wave& wave,
                     const FadeHooks& hooks, std::string& out) {
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

// WriteInFormat for the format options.format, one instance per entry of kFormats.
template <std::size_t... kIndex>
Status WriteInAnyFormat(std::index_sequence<kIndex...>, std::span<const Channels> colors,
                        const Segments& segments, const CharacterText& text, bool wavy,
                        const MarkupOptions& options, Wave& wave, const FadeHooks& hooks,
                        std::string& out) {
  Status status;
  const auto index = static_cast<std::size_t>(options.format);
  static_cast<void>(
      ((index == kIndex && (status = WriteInFormat<static_cast<MarkupFormat>(kIndex)>(
                                colors, segments, text, wavy, options, wave, hooks, out),
                            true)) ||
       ...));
  return status;
}

}  // namespace

Status WriteFormattedFade(std::span<const Channels> colors, const Segments& segments,
                          const CharacterText& text, bool wavy, const MarkupOptions& options,
                          Wave& wave, const FadeHooks& hooks, std::string& out) {
  return WriteInAnyFormat(std::make_index_sequence<kFormats.size()>(), colors, segments, text, wavy,
                          options, wave, hooks, out);
}

}  // namespace tintrix::markup
