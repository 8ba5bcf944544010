#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "engine/charactertext.h"
#include "engine/internal/formatcodes.h"
#include "engine/internal/utf8.h"
#include "engine/markupformat.h"

// The general writer: a colour tag where a run starts, which is at every character unless
// runs merge, blanks join the run before, or the format asks for one.
namespace tintrix::markup {

// What the writer knows of the characters already written.
struct RunState {
  bool first = true;
  std::uint32_t rgb = 0;   // the colour of the character before, as tagged
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
  } else if constexpr (t.spelling == ColorSpelling::kMarkedHex) {
    for (int digit = 0; digit < 6; ++digit) {
      p = Put(p, t.colorMark);
      *p++ = static_cast<char>(word >> (8 * digit));
    }
    p = Put(p, t.colorSuffix);
  } else {
    std::memcpy(p, &word, sizeof word);
    p += HexTag<kFormat>::kBytes;
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
    p = PutColor<kFormat>(p, run.rgb, HexTag<kFormat>::Word(run.rgb), styles);
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

// Writes one block of characters, the next `in.count` from `cursor`, which start at byte
// `start` of `bytes`.
template <MarkupFormat kFormat, bool kBytes, bool kEscapes>
char* WriteBlock(const BlockInput& in, std::string_view bytes, std::size_t start,
                 CharacterText::Cursor& cursor, const MarkupOptions& options,
                 const StyleCodes<kFormat>& styles, RunState& run, char* p) {
  using Rules = CharacterRules<kFormat>;
  constexpr const FormatTraits& t = kTraits<kFormat>;
  // Locals rather than the references, which the compiler would reload after every store
  // through p.
  const bool merge = options.merge || t.alwaysMerges;
  const bool skipBlanks = options.skipBlanks;
  const StyleCodes<kFormat> codes = styles;
  const std::uint32_t* const rgbs = in.rgb;
  const std::uint8_t* const states = in.states;
  RunState r = run;
  constexpr bool kKeysState = t.wave != WavePlace::kNone;
  constexpr bool kHex = t.spelling != ColorSpelling::kDecimal;
  for (std::size_t j = 0; j < in.count; ++j) {
    const std::size_t end = kBytes ? start + 1 : cursor.NextInBits();
    const char* c = bytes.data() + start;
    const std::size_t size = end - start;
    const bool readable = start + 16 <= bytes.size();
    start = end;
    const std::uint32_t rgb = rgbs[j];
    const std::uint8_t state = states ? states[j] : 0;
    bool alone = false;
    if constexpr (Rules::kAny) alone = r.retag || Rules::StandsAlone({c, size});
    if (skipBlanks && !r.first && utf8::IsBlank({c, size})) {
      // The blank keeps the run's colour; the format's rules may still want its tag again.
      if constexpr (Rules::kAny) {
        if (alone) {
          p = CloseRun<kFormat>(p, r, codes);
          p = OpenRun<kFormat>(p, r.rgb, kHex ? HexTag<kFormat>::Word(r.rgb) : 0, r.state, codes);
          ++r.tags;
          r.retag = false;
        }
      }
      p = PutCharacter<kFormat, kEscapes>(p, c, size, readable);
      continue;
    }
    const bool same = !r.first && !alone && rgb == r.rgb && (!kKeysState || state == r.state);
    if (!merge || !same) {
      if (!r.first) p = CloseRun<kFormat>(p, r, codes);
      std::uint64_t word = 0;
      if constexpr (kHex) std::memcpy(&word, in.halves + 2 * j, sizeof word);
      p = OpenRun<kFormat>(p, rgb, word, state, codes);
      ++r.tags;
    }
    if constexpr (t.wave == WavePlace::kAfterColorTag) {
      if (states) {
        p = PutStateTag(p, kWaveClose<kFormat>[r.first ? 0 : r.state]);
        p = PutStateTag(p, kWaveOpen<kFormat>[state]);
      }
    }
    if (kBytes && !NeedsEscape<kFormat, kEscapes>(static_cast<unsigned char>(*c))) {
      *p++ = *c;
    } else {
      p = PutCharacter<kFormat, kEscapes>(p, c, size, readable);
    }
    if constexpr (Rules::kAny) r.retag = Rules::EndsRun({c, size});
    r.first = false;
    r.rgb = rgb;
    r.state = state;
  }
  run = r;
  return p;
}

}  // namespace tintrix::markup
