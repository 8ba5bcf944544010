#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "engine/charactertext.h"
#include "engine/internal/formatcodes.h"
#include "engine/internal/textescapes.h"
#include "engine/internal/utf8.h"
#include "engine/markupformat.h"

// The general writer: a colour tag where a run starts, which is at every character unless
// runs merge, blanks join the run before, or the format asks for one.
namespace tintrix::markup {

// What the writer knows of the characters already written.
struct RunState {
  bool first = true;
  std::uint32_t rgb = 0;   // the colour of the character before, as tagged
  std::uint64_t word = 0;  // its hex word, in the formats that spell colours in hex
  std::uint8_t state = 0;  // its wave state (0: none)
  bool retag = false;      // the next character must start a run of its own
  std::size_t tags = 0;    // colour tags written
};

struct BlockInput {
  const std::uint32_t* rgb;         // the colours, 0xRRGGBB
  const std::uint32_t* halves;      // their hex words, in formats that spell colours in hex
  const std::uint8_t* states;       // nullptr without the wave
  const std::uint8_t* transitions;  // with the wave: previous state * 4 + state
  std::size_t count;
};

// A colour tag's colour and what follows it: the suffix and the style codes. `word` is the
// colour's hex word, in the formats that spell colours in hex.
template <MarkupFormat kFormat>
inline char* PutColor(char* p, std::uint32_t rgb, std::uint64_t word,
                      const StyleCodes<kFormat>& styles) {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  if constexpr (t.spelling == ColorSpelling::kDecimal) {
    p = PutDecimal(p, rgb >> 16);
    *p++ = ';';
    p = PutDecimal(p, rgb >> 8 & 0xFF);
    *p++ = ';';
    p = PutDecimal(p, rgb & 0xFF);
    p = Put(p, t.colorSuffix);
  } else {
    p = PutHexWord<kFormat>(p, word);
  }
  if constexpr (kHasStyleCodes<kFormat>) p = styles.Put(p);
  return p;
}

// The end of the run before: in formats that write the colour after the text, its colour.
template <MarkupFormat kFormat>
inline char* CloseRun(char* p, const RunState& run, const StyleCodes<kFormat>& styles) {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  if constexpr (t.wave == WavePlace::kInsideElement) {
    p = PutStateTag(p, kWaveClose<kFormat>[run.state]);
  }
  p = Put(p, t.runClose);
  if constexpr (t.colorAfterText) {
    p = PutColor<kFormat>(p, run.rgb, run.word, styles);
    p = Put(p, t.runEnd);
  }
  return p;
}

// The tags in front of a character that starts a new run: its colour is rgb, whose hex word
// (in the formats that spell colours in hex) is `word`.
template <MarkupFormat kFormat>
inline char* OpenRun(char* p, std::uint32_t rgb, std::uint64_t word, std::uint8_t state,
                     const StyleCodes<kFormat>& styles) {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  p = Put(p, t.colorPrefix);
  if constexpr (!t.colorAfterText) p = PutColor<kFormat>(p, rgb, word, styles);
  if constexpr (t.wave == WavePlace::kInsideElement) p = PutStateTag(p, kWaveOpen<kFormat>[state]);
  return p;
}

// Ends the run before, if any, and opens one of colour rgb (hex word `word`), counting its tag.
template <MarkupFormat kFormat>
[[gnu::always_inline]] inline char* StartRun(char* p, RunState& run, std::uint32_t rgb,
                                             std::uint64_t word, std::uint8_t state,
                                             const StyleCodes<kFormat>& styles) {
  if (!run.first) p = CloseRun<kFormat>(p, run, styles);
  run.word = word;
  ++run.tags;
  return OpenRun<kFormat>(p, rgb, word, state, styles);
}

// The writer of a block's characters, one at a time, with what it knows of the run so far.
template <MarkupFormat kFormat, bool kBytes, bool kEscapes>
class RunWriter {
 public:
  // Locals rather than the references, which the compiler would reload after every store
  // through p.
  RunWriter(const BlockInput& in, const MarkupOptions& options, const StyleCodes<kFormat>& styles,
            const RunState& run)
      : m_rgb(in.rgb),
        m_halves(in.halves),
        m_states(in.states),
        m_merge(options.merge || kTraits<kFormat>.alwaysMerges),
        m_skipBlanks(options.skipBlanks),
        m_codes(styles),
        m_run(run) {}

  // Writes character j, whose bytes are c[0, size); `readable` tells that 16 bytes may be read
  // from c.
  [[gnu::always_inline]] char* Write(std::size_t j, const char* c, std::size_t size, bool readable,
                                     char* p) {
    const std::uint32_t rgb = m_rgb[j];
    const std::uint8_t state = m_states ? m_states[j] : 0;
    bool alone = false;
    if constexpr (Rules::kAny) alone = m_run.retag || Rules::StandsAlone({c, size});
    if (m_skipBlanks && !m_run.first && utf8::IsBlank({c, size})) {
      return PutJoinedBlank(c, size, readable, alone, p);
    }
    if (!m_merge || !Continues(rgb, state, alone)) p = StartRun(j, rgb, state, p);
    if constexpr (kTraits<kFormat>.wave == WavePlace::kAfterColorTag) {
      if (m_states) {
        p = PutStateTag(p, kWaveClose<kFormat>[m_run.first ? 0 : m_run.state]);
        p = PutStateTag(p, kWaveOpen<kFormat>[state]);
      }
    }
    if (kBytes && !NeedsEscape<kFormat, kEscapes>(static_cast<unsigned char>(*c))) {
      *p++ = *c;
    } else {
      p = PutCharacter<kFormat, kEscapes>(p, c, size, readable);
    }
    if constexpr (Rules::kAny) m_run.retag = Rules::EndsRun({c, size});
    m_run.first = false;
    m_run.rgb = rgb;
    m_run.state = state;
    return p;
  }

  const RunState& run() const { return m_run; }

 private:
  using Rules = CharacterRules<kFormat>;
  static constexpr bool kHex = kTraits<kFormat>.spelling != ColorSpelling::kDecimal;

  // The character joins the run before: the tag it would have says nothing new.
  [[gnu::always_inline]] bool Continues(std::uint32_t rgb, std::uint8_t state, bool alone) const {
    constexpr bool kKeysState = kTraits<kFormat>.wave != WavePlace::kNone;
    return !m_run.first && !alone && rgb == m_run.rgb && (!kKeysState || state == m_run.state);
  }

  [[gnu::always_inline]] char* StartRun(std::size_t j, std::uint32_t rgb, std::uint8_t state,
                                        char* p) {
    std::uint64_t word = 0;
    if constexpr (kHex) std::memcpy(&word, m_halves + 2 * j, sizeof word);
    return markup::StartRun<kFormat>(p, m_run, rgb, word, state, m_codes);
  }

  // A skipped blank keeps the run's colour; the format's rules may still want its tag again.
  [[gnu::always_inline]] char* PutJoinedBlank(const char* c, std::size_t size, bool readable,
                                              bool alone, char* p) {
    if constexpr (Rules::kAny) {
      if (alone) {
        p = CloseRun<kFormat>(p, m_run, m_codes);
        const std::uint64_t word = kHex ? HexTag<kFormat>::Word(m_run.rgb) : 0;
        p = OpenRun<kFormat>(p, m_run.rgb, word, m_run.state, m_codes);
        ++m_run.tags;
        m_run.retag = false;
      }
    }
    return PutCharacter<kFormat, kEscapes>(p, c, size, readable);
  }

  const std::uint32_t* const m_rgb;
  const std::uint32_t* const m_halves;
  const std::uint8_t* const m_states;
  const bool m_merge;
  const bool m_skipBlanks;
  const StyleCodes<kFormat> m_codes;
  RunState m_run;
};

// True when one of the `size` bytes at `text` is one the format's character rules look at.
template <MarkupFormat kFormat>
bool AnyRuleByte(const char* text, std::size_t size) {
  using Rules = CharacterRules<kFormat>;
  if constexpr (!Rules::kAny) return false;
  bool any = false;
  for (std::size_t i = 0; i < size; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    any |= Rules::kStandAlone.Has(b) || Rules::kRetagStarts.Has(b);
  }
  return any;
}

// The end of the run of character j's colour in the block. Where the colour changes at every
// character this is the next one; where it does not, runs are long, and are looked through
// eight at a time.
inline std::size_t RunEnd(const BlockInput& in, std::size_t j) {
  const std::uint32_t rgb = in.rgb[j];
  std::size_t end = j + 1;
  if (end == in.count || in.rgb[end] != rgb) return end;
  for (++end; end + 8 <= in.count; end += 8) {
    bool same = true;
    for (std::size_t u = 0; u < 8; ++u) same &= in.rgb[end + u] == rgb;
    if (!same) break;
  }
  while (end < in.count && in.rgb[end] == rgb) ++end;
  return end;
}

// What WriteBlock writes for merged runs of one-byte characters that need no escape, where no
// wave is drawn, blanks do not join the run before and no character has a rule of the
// format's (AnyRuleByte) nor follows one: a tag where the colour changes, and the run's bytes
// copied whole.
template <MarkupFormat kFormat>
char* WriteMergedBytes(const BlockInput& in, const char* bytes, const StyleCodes<kFormat>& styles,
                       RunState& run, char* p) {
  constexpr bool kHex = kTraits<kFormat>.spelling != ColorSpelling::kDecimal;
  for (std::size_t j = 0; j < in.count;) {
    const std::uint32_t rgb = in.rgb[j];
    if (run.first || rgb != run.rgb) {
      std::uint64_t word = 0;
      if constexpr (kHex) std::memcpy(&word, in.halves + 2 * j, sizeof word);
      p = StartRun<kFormat>(p, run, rgb, word, 0, styles);
      run.first = false;
      run.rgb = rgb;
    }
    const std::size_t end = RunEnd(in, j);
    if (end - j == 1) {
      *p = bytes[j];
    } else {
      std::memcpy(p, bytes + j, end - j);
    }
    p += end - j;
    j = end;
  }
  return p;
}

// Writes one block of characters, the next `in.count` from `cursor`, which start at byte
// `start` of `bytes`.
template <MarkupFormat kFormat, bool kBytes, bool kEscapes>
char* WriteBlock(const BlockInput& in, std::string_view bytes, std::size_t start,
                 CharacterText::Cursor& cursor, const MarkupOptions& options,
                 const StyleCodes<kFormat>& styles, RunState& run, char* p) {
  RunWriter<kFormat, kBytes, kEscapes> writer(in, options, styles, run);
  for (std::size_t j = 0; j < in.count; ++j) {
    const std::size_t end = kBytes ? start + 1 : cursor.NextInBits();
    p = writer.Write(j, bytes.data() + start, end - start, start + 16 <= bytes.size(), p);
    start = end;
  }
  run = writer.run();
  return p;
}

}  // namespace tintrix::markup
