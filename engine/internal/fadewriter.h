#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "engine/charactertext.h"
#include "engine/fadegenerator.h"
#include "engine/internal/fadeparts.h"
#include "engine/internal/flatwriter.h"
#include "engine/internal/formatcodes.h"
#include "engine/internal/markupwriter.h"
#include "engine/internal/runwriter.h"
#include "engine/internal/segmentcolors.h"
#include "engine/internal/textescapes.h"
#include "engine/markupformat.h"

// The fade's writer of one format: a block of characters at a time, from their colours, to
// the writer that fits the block (flat, merged bytes, or one character at a time).
namespace tintrix::markup {

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

// A block where every character has its whole tag (job.flat), in a format the flat writers
// take.
template <MarkupFormat kFormat, bool kBytes, bool kEscapes, bool kWordsMade>
char* WriteFlatBlock(const BlockJob<kFormat>& job, CharacterText::Cursor& cursor, RunState& run,
                     char* p) {
  const BlockInput& in = job.in;
  run.tags += in.count;
  const HexWords<kFormat, kWordsMade> words(in.rgb, in.halves);
  if constexpr (!kWritesFlat<kFormat>) {
    // The colour after the text (kWritesFlatAfterText), one byte a character.
    p = WriteFlatAfterText<kFormat, kEscapes>(words, job.bytes.data() + job.position, in.count,
                                              job.styles, run.first, run.word, p);
    run.first = false;
    run.rgb = in.rgb[in.count - 1];
    return p;
  } else {
    if (kBytes && in.states == nullptr) {
      if (!kWordsMade && job.styles.size == 0) {
        return WriteFlatPieces<kFormat, kEscapes>(in.rgb, job.bytes.data() + job.position, in.count,
                                                  p);
      }
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

template <MarkupFormat kFormat, bool kBytes, bool kEscapes, bool kWordsMade>
char* WriteOneBlock(const BlockJob<kFormat>& job, CharacterText::Cursor& cursor, RunState& run,
                    char* p) {
  const BlockInput& in = job.in;
  if constexpr (kWritesFlat<kFormat> || (kBytes && kWritesFlatAfterText<kFormat>)) {
    if (job.flat) return WriteFlatBlock<kFormat, kBytes, kEscapes, kWordsMade>(job, cursor, run, p);
  }
  if constexpr (kBytes && !kEscapes) {
    const char* const bytes = job.bytes.data() + job.position;
    if (in.states == nullptr && (job.options.merge || kTraits<kFormat>.alwaysMerges) &&
        !job.options.skipBlanks && !run.retag && !AnyRuleByte<kFormat>(bytes, in.count)) {
      return WriteMergedBytes<kFormat>(in, bytes, job.styles, run, p);
    }
  }
  return WriteBlock<kFormat, kBytes, kEscapes>(in, job.bytes, job.position, cursor, job.options,
                                               job.styles, run, p);
}

// The steps between two colours: more than any segment between them has distinct colours.
inline std::size_t StepsBetween(const Channels& a, const Channels& b) {
  const auto steps = [](int from, int to) { return static_cast<std::size_t>(std::abs(to - from)); };
  return steps(a.red, b.red) + steps(a.green, b.green) + steps(a.blue, b.blue);
}

// Writes a fade's characters a block at a time, from their colours: the levels, the wave, the
// colour words and the escapes, then the writer that fits the block.
template <MarkupFormat kFormat, bool kBytes>
class FadeWriter {
 public:
  FadeWriter(const CharacterText& text, bool wavy, const MarkupOptions& options, Wave& wave,
             const FadeHooks& hooks, std::string& out)
      : m_bytes(text.text()),
        m_options(options),
        m_wave(wave),
        m_hooks(hooks),
        m_writer(out, hooks),
        m_cursor(text),
        m_drawsWave(wavy && WritesWave(kFormat)),
        m_styles(options),
        m_flat(!options.merge && !options.skipBlanks &&
               (kWritesFlat<kFormat> || (kBytes && kWritesFlatAfterText<kFormat>))) {
    if (options.levels < 256) m_levels.emplace(options.levels);
    if (!hooks.drain) Reserve(text, m_drawsWave, out);
  }

  // Writes the next `count` (at most kBlock) characters, whose colours are rgb[0, count).
  // `changesOften`: neighbours mostly differ in colour.
  Status Write(std::uint32_t* rgb, std::size_t count, bool changesOften) {
    Reduce(rgb, count);
    MakeWords(rgb, count, changesOften);
    return Emit(rgb, m_halves, count, !m_flat || changesOften);
  }

  // Reduces colours to the options' levels, in place, as Write does.
  void Reduce(std::uint32_t* rgb, std::size_t count) const {
    if (m_levels) {
      for (std::size_t j = 0; j < count; ++j) rgb[j] = (*m_levels)(rgb[j]);
    }
  }

  // Write for colours reduced before (Reduce), with their hex words (MakeHexWords, in
  // formats that spell colours in hex) made before too.
  Status WriteMade(const std::uint32_t* rgb, const std::uint32_t* halves, std::size_t count) {
    return Emit(rgb, halves, count, true);
  }

  // Ends the last run and counts the colour tags.
  void Finish() {
    if (!m_run.first) {
      m_writer.Append(kMaxTagBytes, [&](char* p) { return CloseRun<kFormat>(p, m_run, m_styles); });
    }
    if (m_hooks.colorTags) *m_hooks.colorTags += m_run.tags;
  }

 private:
  static constexpr std::size_t kMaxTagBytes = MaxTagBytes<kFormat>();

  // The block's characters from their colours, reduced, and their words where wordsMade.
  Status Emit(const std::uint32_t* rgb, const std::uint32_t* halves, std::size_t count,
              bool wordsMade) {
    if (m_drawsWave) {
      m_wave.Draw(count, m_transitions, m_states);
    }
    const std::size_t textBytes = kBytes ? count : m_cursor.EndAfter(count) - m_position;
    const BlockInput in{rgb, halves, m_drawsWave ? m_states : nullptr, m_transitions, count};
    const BlockJob<kFormat> job{in, m_bytes, m_position, m_options, m_styles, m_flat};
    const bool escapes =
        AnyEscapeStart<kTraits<kFormat>.escape>(m_bytes.data() + m_position, textBytes);
    m_writer.Append(count * kMaxTagBytes + textBytes * kMaxEscapeGrowth + kStoreSlack,
                    [&](char* p) { return WriteOne(job, escapes, wordsMade, p); });
    m_position += textBytes;
    return m_writer.Written(count);
  }

  // Room for a tag on every character, as most fades write, and the wave's tags on each when
  // it is drawn, and for the most that the last block may ask for; more grows as it must.
  // Room too much costs nothing, as pages never written are never touched; room too little
  // costs a copy of all that is written, into fresh pages. Only ever more: this library's
  // reserve also shrinks, which would cost a caller's buffer.
  static void Reserve(const CharacterText& text, bool wavy, std::string& out) {
    const std::size_t bytes = text.text().size();
    const std::size_t lastBlock = std::min(text.size(), kBlock) * kMaxTagBytes +
                                  std::min(bytes, 16 * kBlock) * kMaxEscapeGrowth + kStoreSlack +
                                  kSlack;
    const std::size_t waveBytes =
        wavy ? Longest(kTraits<kFormat>.waveOpen) + Longest(kTraits<kFormat>.waveClose) : 0;
    const std::size_t room =
        out.size() + bytes + text.size() * (TypicalTagBytes<kFormat>() + waveBytes) + lastBlock;
    if (room > out.capacity()) out.reserve(room);
  }

  // The colour words, where they are made beforehand: all of them where the colour changes
  // often, else for the run writer those of its changes; the flat writers make their own.
  void MakeWords(const std::uint32_t* rgb, std::size_t count, bool changesOften) {
    if constexpr (kTraits<kFormat>.spelling != ColorSpelling::kDecimal) {
      if (changesOften) {
        MakeHexWords<kFormat>(rgb, count, m_halves);
      } else if (!m_flat) {
        MakeHexWordsOfRuns<kFormat>(rgb, count, m_halves);
      }
    }
  }

  char* WriteOne(const BlockJob<kFormat>& job, bool escapes, bool wordsMade, char* p) {
    if (wordsMade) {
      return escapes ? WriteOneBlock<kFormat, kBytes, true, true>(job, m_cursor, m_run, p)
                     : WriteOneBlock<kFormat, kBytes, false, true>(job, m_cursor, m_run, p);
    }
    return escapes ? WriteOneBlock<kFormat, kBytes, true, false>(job, m_cursor, m_run, p)
                   : WriteOneBlock<kFormat, kBytes, false, false>(job, m_cursor, m_run, p);
  }

  std::string_view m_bytes;
  const MarkupOptions& m_options;
  Wave& m_wave;
  const FadeHooks& m_hooks;
  MarkupWriter m_writer;
  CharacterText::Cursor m_cursor;
  std::optional<LevelTable> m_levels;
  const bool m_drawsWave;
  const StyleCodes<kFormat> m_styles;
  const bool m_flat;
  RunState m_run;
  std::size_t m_position = 0;  // where the next character starts
  std::uint8_t m_transitions[kBlock];
  std::uint8_t m_states[kBlock];
  std::uint32_t m_halves[2 * kBlock];
};

}  // namespace tintrix::markup
