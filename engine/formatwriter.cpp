#include "engine/formatwriter.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "engine/blendspace.h"

namespace tintrix::markup {

namespace {

using fadeparts::SegmentBlend;
using fadeparts::Segments;
using fadeparts::Wave;

// The most bytes any format writes around one character, its own bytes apart (html's
// `</sub></span><span style="color:#rrggbb"><sub>`), and stores may run 32 bytes past that.
constexpr std::size_t kMaxTagBytes = 48;
constexpr std::size_t kStoreSlack = 32;
// The bytes of one character's tags in the common case: its colour tag and closing tag.
template <MarkupFormat kFormat>
constexpr std::size_t kTypicalTagBytes = kFormat == MarkupFormat::kHtml      ? 35
                                         : kFormat == MarkupFormat::kBbcode  ? 23
                                         : kFormat == MarkupFormat::kClassic ? 20
                                         : kFormat == MarkupFormat::kAnsi    ? 2
                                                                             : 14;
// How much an escape can grow a byte: `"` becomes `&quot;`.
constexpr std::size_t kMaxEscapeGrowth = 6;

// What each format writes around the colour's hexadecimal digits: the digits' case and the
// bytes after them, which share their word.
template <MarkupFormat kFormat>
struct HexForm {
  static constexpr bool kLower =
      kFormat == MarkupFormat::kHtml || kFormat == MarkupFormat::kMinimessage;
  static constexpr std::string_view kSuffix = kFormat == MarkupFormat::kHtml        ? "\">"
                                              : kFormat == MarkupFormat::kBbcode    ? "]"
                                              : kFormat == MarkupFormat::kMinecraft ? ""
                                                                                    : ">";
  static constexpr std::size_t kBytes = 6 + kSuffix.size();
  static constexpr std::uint32_t kSuffixBits =
      (kSuffix.size() > 0 ? std::uint32_t{static_cast<unsigned char>(kSuffix[0])} << 16 : 0) |
      (kSuffix.size() > 1 ? std::uint32_t{static_cast<unsigned char>(kSuffix[1])} << 24 : 0);
};

// The digits of the four nibbles (0 ... 15) in the bytes of `nibbles`, upper or lower case:
// a nibble of 10 or more carries into bit 4 of its byte when 6 is added.
template <bool kLower>
constexpr std::uint32_t Digits(std::uint32_t nibbles) {
  return nibbles + 0x30303030u +
         (((nibbles + 0x06060606u) >> 4) & 0x01010101u) * (kLower ? 0x27 : 7);
}

// The words of a block's colours: "RRGGBB" and the format's suffix in 32-bit halves. A fade's
// neighbours mostly share their colour, so a word is made only where the colour changes.
template <MarkupFormat kFormat>
inline std::uint64_t HexWord(std::uint32_t c) {
  using Form = HexForm<kFormat>;
  const std::uint32_t r = c >> 16, g = c >> 8 & 0xFF, b = c & 0xFF;
  const std::uint32_t low =
      Digits<Form::kLower>((r >> 4) | (r & 15) << 8 | (g >> 4) << 16 | (g & 15) << 24);
  const std::uint32_t high =
      (Digits<Form::kLower>((b >> 4) | (b & 15) << 8) & 0xFFFF) | Form::kSuffixBits;
  return std::uint64_t{low} | std::uint64_t{high} << 32;
}

template <MarkupFormat kFormat>
void MakeHexWords(const std::uint32_t* rgb, std::size_t count, std::uint32_t* halves) {
  std::uint32_t last = ~std::uint32_t{0};
  std::uint64_t word = 0;
  for (std::size_t j = 0; j < count; ++j) {
    if (rgb[j] != last) word = HexWord<kFormat>(last = rgb[j]);
    std::memcpy(halves + 2 * j, &word, sizeof word);
  }
}

inline char* PutWord(char* p, const std::uint32_t* halves, std::size_t j, std::size_t bytes) {
  std::memcpy(p, halves + 2 * j, 8);
  return p + bytes;
}

template <std::size_t N>
inline char* Put(char* p, const char (&literal)[N]) {
  std::memcpy(p, literal, N - 1);
  return p + N - 1;
}

// The decimal digits of 0 ... 255 followed by the separator, padded to four bytes.
struct Decimal {
  char bytes[4];
  std::uint8_t size;
};

constexpr std::array<Decimal, 256> MakeDecimals() {
  std::array<Decimal, 256> table{};
  for (int v = 0; v < 256; ++v) {
    Decimal& d = table[v];
    if (v >= 100) d.bytes[d.size++] = static_cast<char>('0' + v / 100);
    if (v >= 10) d.bytes[d.size++] = static_cast<char>('0' + v / 10 % 10);
    d.bytes[d.size++] = static_cast<char>('0' + v % 10);
  }
  return table;
}
constexpr auto kDecimals = MakeDecimals();

inline char* PutDecimal(char* p, std::uint32_t v) {
  const Decimal& d = kDecimals[v];
  std::memcpy(p, d.bytes, 4);
  return p + d.size;
}

// Unicode White_Space.
constexpr bool IsWhiteSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// True when every code point of the character is White_Space. Bytes that are no UTF-8 make
// it no blank.
bool IsBlankCharacter(std::string_view c) {
  if (c.empty()) return false;
  for (std::size_t i = 0; i < c.size();) {
    const auto b = static_cast<unsigned char>(c[i]);
    char32_t code;
    std::size_t length;
    if (b < 0x80) {
      code = b, length = 1;
    } else if ((b & 0xE0) == 0xC0) {
      code = b & 0x1F, length = 2;
    } else if ((b & 0xF0) == 0xE0) {
      code = b & 0x0F, length = 3;
    } else {
      return false;  // nothing past the Basic Multilingual Plane is White_Space
    }
    if (i + length > c.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(c[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if (!IsWhiteSpace(code)) return false;
    i += length;
  }
  return true;
}

// The bytes that need an escape in the format.
template <MarkupFormat kFormat>
constexpr bool NeedsEscape(unsigned char c) {
  if constexpr (kFormat == MarkupFormat::kHtml) return c == '&' || c == '<' || c == '>' || c == '"';
  if constexpr (kFormat == MarkupFormat::kMinimessage) return c == '\\' || c == '<';
  return false;
}

// The character's bytes, escaped as the format needs. `readable` tells that 16 bytes may be
// read from c, whatever the character's size.
template <MarkupFormat kFormat>
inline char* PutCharacter(char* p, const char* c, std::size_t size, bool readable) {
  bool escapes = false;
  if constexpr (kFormat == MarkupFormat::kHtml || kFormat == MarkupFormat::kMinimessage) {
    for (std::size_t i = 0; i < size; ++i) {
      escapes |= NeedsEscape<kFormat>(static_cast<unsigned char>(c[i]));
    }
  }
  if (escapes) {
    for (std::size_t i = 0; i < size; ++i) {
      const char b = c[i];
      if constexpr (kFormat == MarkupFormat::kHtml) {
        switch (b) {
          case '&':
            p = Put(p, "&amp;");
            continue;
          case '<':
            p = Put(p, "&lt;");
            continue;
          case '>':
            p = Put(p, "&gt;");
            continue;
          case '"':
            p = Put(p, "&quot;");
            continue;
          default:
            *p++ = b;
        }
      } else {
        if (b == '\\' || b == '<') *p++ = '\\';
        *p++ = b;
      }
    }
    return p;
  }
  {
    if (size == 1) {
      *p = *c;
    } else if (size <= 16 && readable) {
      std::memcpy(p, c, 16);
    } else {
      std::memcpy(p, c, size);
    }
    return p + size;
  }
}

// The wave's tags for each state (none, lowered, raised, on the line), padded so that each is
// one copy whatever its length: the states are random, and branches on them would mostly
// guess wrong.
struct StateTag {
  char bytes[8];
  std::size_t size;
};

constexpr StateTag MakeStateTag(std::string_view text) {
  StateTag tag{};
  for (char c : text) tag.bytes[tag.size++] = c;
  return tag;
}

constexpr StateTag kHtmlOpen[] = {MakeStateTag(""), MakeStateTag("<sub>"), MakeStateTag("<sup>"),
                                  MakeStateTag("")};
constexpr StateTag kHtmlClose[] = {MakeStateTag(""), MakeStateTag("</sub>"), MakeStateTag("</sup>"),
                                   MakeStateTag("")};
constexpr StateTag kBbcodeOpen[] = {MakeStateTag(""), MakeStateTag("[sub]"), MakeStateTag("[sup]"),
                                    MakeStateTag("")};
constexpr StateTag kBbcodeClose[] = {MakeStateTag(""), MakeStateTag("[/sub]"),
                                     MakeStateTag("[/sup]"), MakeStateTag("")};
constexpr StateTag kClassicOpen[] = {MakeStateTag(""), MakeStateTag("<SUB>"), MakeStateTag("<SUP>"),
                                     MakeStateTag("")};
constexpr StateTag kClassicClose[] = {MakeStateTag(""), MakeStateTag("</SUB>"),
                                      MakeStateTag("</SUP>"), MakeStateTag("")};

inline char* PutStateTag(char* p, const StateTag& tag) {
  std::memcpy(p, tag.bytes, sizeof tag.bytes);
  return p + tag.size;
}

// What the writer knows of the characters already written.
struct RunState {
  bool first = true;
  std::uint32_t rgb = 0;   // the colour of the character before, as tagged
  std::uint8_t state = 0;  // its wave state (0: none)
  bool open = false;       // html and bbcode: an element is open
  std::size_t tags = 0;    // colour tags written
};

struct BlockInput {
  const std::uint32_t* rgb;
  const std::uint32_t* halves;  // the hex words of the colours
  const std::uint8_t* states;   // nullptr without the wave
  std::size_t count;
};

template <MarkupFormat kFormat>
inline char* CloseRun(char* p, const RunState& run) {
  if constexpr (kFormat == MarkupFormat::kHtml) {
    p = PutStateTag(p, kHtmlClose[run.state]);
    p = Put(p, "</span>");
  } else if constexpr (kFormat == MarkupFormat::kBbcode) {
    p = PutStateTag(p, kBbcodeClose[run.state]);
    p = Put(p, "[/color]");
  }
  return p;
}

// The tags in front of a character that starts a new run: its colour is rgb, whose hex word
// is word j of `halves`.
template <MarkupFormat kFormat>
inline char* OpenRun(char* p, std::uint32_t rgb, const std::uint32_t* halves, std::size_t j,
                     std::uint8_t state, const MarkupOptions& o) {
  constexpr std::size_t kWord = HexForm<kFormat>::kBytes;
  if constexpr (kFormat == MarkupFormat::kClassic) {
    p = PutWord(Put(p, "<Font Color=#"), halves, j, kWord);
  } else if constexpr (kFormat == MarkupFormat::kHtml) {
    p = PutWord(Put(p, "<span style=\"color:#"), halves, j, kWord);
    p = PutStateTag(p, kHtmlOpen[state]);
  } else if constexpr (kFormat == MarkupFormat::kBbcode) {
    p = PutWord(Put(p, "[color=#"), halves, j, kWord);
    p = PutStateTag(p, kBbcodeOpen[state]);
  } else if constexpr (kFormat == MarkupFormat::kAnsi) {
    p = Put(p, "\x1b[38;2;");
    p = PutDecimal(p, rgb >> 16);
    *p++ = ';';
    p = PutDecimal(p, rgb >> 8 & 0xFF);
    *p++ = ';';
    p = PutDecimal(p, rgb & 0xFF);
    *p++ = 'm';
  } else if constexpr (kFormat == MarkupFormat::kMinecraft) {
    p = PutWord(Put(p, "&#"), halves, j, kWord);
    if (o.underline) p = Put(p, "&n");
    if (o.italic) p = Put(p, "&o");
    if (o.bold) p = Put(p, "&l");
  } else {
    p = PutWord(Put(p, "<#"), halves, j, kWord);
  }
  return p;
}

// The common case, one byte a character without the wave or the size options: every
// character gets its whole tag, written in a few fixed-size copies. It stays apart from
// WriteFlat, which could do its work: folded in, it costs about one instruction a character
// more in html and bbcode.
template <MarkupFormat kFormat>
char* WriteFlatBytes(const std::uint32_t* rgb, const char* text, std::size_t count,
                     const MarkupOptions& options, char* p) {
  constexpr std::string_view kPrefix = kFormat == MarkupFormat::kHtml     ? "<span style=\"color:#"
                                       : kFormat == MarkupFormat::kBbcode ? "[color=#"
                                       : kFormat == MarkupFormat::kClassic
                                           ? "<Font Color=#"
                                           : (kFormat == MarkupFormat::kMinecraft ? "&#" : "<#");
  constexpr std::string_view kClose = kFormat == MarkupFormat::kHtml     ? "</span>"
                                      : kFormat == MarkupFormat::kBbcode ? "[/color]"
                                                                         : "";
  constexpr std::size_t kWord = HexForm<kFormat>::kBytes;
  struct Padded {
    char bytes[32];
  };
  constexpr auto pad = [](std::string_view text, std::size_t at) {
    Padded padded{};
    for (std::size_t i = 0; i < text.size(); ++i) padded.bytes[at + i] = text[i];
    return padded;
  };
  static constexpr Padded kPrefixBytes = pad(kPrefix, 0);
  static constexpr Padded kCloseBytes = pad(kClose, 1);  // after the character
  char styles[8] = {};
  std::size_t styleBytes = 0;
  if constexpr (kFormat == MarkupFormat::kMinecraft) {
    for (auto [on, code] : {std::pair{options.underline, "&n"}, std::pair{options.italic, "&o"},
                            std::pair{options.bold, "&l"}}) {
      if (!on) continue;
      styles[styleBytes++] = code[0];
      styles[styleBytes++] = code[1];
    }
  }
  std::uint32_t last = ~std::uint32_t{0};
  std::uint64_t word = 0;
  for (std::size_t j = 0; j < count; ++j) {
    if (rgb[j] != last) word = HexWord<kFormat>(last = rgb[j]);
    std::memcpy(p, kPrefixBytes.bytes, kPrefix.size() <= 16 ? 16 : 32);
    std::memcpy(p + kPrefix.size(), &word, sizeof word);
    p += kPrefix.size() + kWord;
    if constexpr (kFormat == MarkupFormat::kMinecraft) {
      std::memcpy(p, styles, sizeof styles);
      p += styleBytes;
    }
    const auto c = static_cast<unsigned char>(text[j]);
    if (NeedsEscape<kFormat>(c)) {
      p = PutCharacter<kFormat>(p, text + j, 1, false);
      std::memcpy(p, kClose.data(), kClose.size());
      p += kClose.size();
    } else if constexpr (kClose.empty()) {
      *p++ = static_cast<char>(c);
    } else {
      std::memcpy(p, kCloseBytes.bytes, 16);
      *p = static_cast<char>(c);
      p += 1 + kClose.size();
    }
  }
  return p;
}

// Every character with its whole tag as in WriteFlatBytes, for characters of any size and with
// the wave (html and bbcode put the state's tags inside the colour's element): the next
// `count` characters from `cursor`, which start at byte `start` of `bytes`.
template <MarkupFormat kFormat, bool kBytes, bool kWavy>
char* WriteFlat(const std::uint32_t* rgb, const std::uint8_t* states, std::string_view bytes,
                std::size_t start, CharacterText::Cursor& cursor, std::size_t count,
                const MarkupOptions& options, char* p) {
  static_assert(kFormat != MarkupFormat::kAnsi && kFormat != MarkupFormat::kClassic);
  constexpr std::string_view kPrefix = kFormat == MarkupFormat::kHtml     ? "<span style=\"color:#"
                                       : kFormat == MarkupFormat::kBbcode ? "[color=#"
                                       : kFormat == MarkupFormat::kMinecraft ? "&#"
                                                                             : "<#";
  constexpr std::string_view kClose = kFormat == MarkupFormat::kHtml     ? "</span>"
                                      : kFormat == MarkupFormat::kBbcode ? "[/color]"
                                                                         : "";
  constexpr const StateTag* kOpen = kFormat == MarkupFormat::kHtml ? kHtmlOpen : kBbcodeOpen;
  constexpr const StateTag* kCloseState =
      kFormat == MarkupFormat::kHtml ? kHtmlClose : kBbcodeClose;
  constexpr std::size_t kWord = HexForm<kFormat>::kBytes;
  char prefix[32] = {};
  for (std::size_t i = 0; i < kPrefix.size(); ++i) prefix[i] = kPrefix[i];
  char close[16] = {};
  for (std::size_t i = 0; i < kClose.size(); ++i) close[i] = kClose[i];
  char styles[8] = {};
  std::size_t styleBytes = 0;
  if constexpr (kFormat == MarkupFormat::kMinecraft) {
    for (auto [on, code] : {std::pair{options.underline, "&n"}, std::pair{options.italic, "&o"},
                            std::pair{options.bold, "&l"}}) {
      if (!on) continue;
      styles[styleBytes++] = code[0];
      styles[styleBytes++] = code[1];
    }
  }
  CharacterText::Cursor walker = cursor;
  std::uint32_t last = ~std::uint32_t{0};
  std::uint64_t word = 0;
  for (std::size_t j = 0; j < count; ++j) {
    if (rgb[j] != last) word = HexWord<kFormat>(last = rgb[j]);
    std::memcpy(p, prefix, kPrefix.size() <= 16 ? 16 : 32);
    std::memcpy(p + kPrefix.size(), &word, sizeof word);
    p += kPrefix.size() + kWord;
    if constexpr (kFormat == MarkupFormat::kMinecraft) {
      std::memcpy(p, styles, sizeof styles);
      p += styleBytes;
    }
    if constexpr (kWavy) p = PutStateTag(p, kOpen[states[j]]);
    const std::size_t end = kBytes ? start + 1 : walker.NextInBits();
    const char* c = bytes.data() + start;
    if (kBytes && !NeedsEscape<kFormat>(static_cast<unsigned char>(*c))) {
      *p++ = *c;
    } else {
      p = PutCharacter<kFormat>(p, c, end - start, start + 16 <= bytes.size());
    }
    start = end;
    if constexpr (kWavy) p = PutStateTag(p, kCloseState[states[j]]);
    if constexpr (!kClose.empty()) {
      std::memcpy(p, close, sizeof close);
      p += kClose.size();
    }
  }
  cursor = walker;
  return p;
}

// Writes one block of characters, the next `in.count` from `cursor`, which start at byte
// `start` of `bytes`.
template <MarkupFormat kFormat, bool kBytes>
char* WriteBlock(const BlockInput& in, std::string_view bytes, std::size_t start,
                 CharacterText::Cursor& cursor, const MarkupOptions& options, RunState& run,
                 char* p) {
  // ansi's colour sequences already mark changes only, merged or not. Locals rather than the
  // references, which the compiler would reload after every store through p.
  const bool merge = options.merge || kFormat == MarkupFormat::kAnsi;
  const bool skipBlanks = options.skipBlanks;
  const MarkupOptions styles = options;
  const std::uint32_t* const rgbs = in.rgb;
  const std::uint8_t* const states = in.states;
  RunState r = run;
  constexpr bool kKeysState = WritesWave(kFormat);
  for (std::size_t j = 0; j < in.count; ++j) {
    const std::size_t end = kBytes ? start + 1 : cursor.NextInBits();
    const char* c = bytes.data() + start;
    const std::size_t size = end - start;
    const bool readable = start + 16 <= bytes.size();
    start = end;
    const std::uint32_t rgb = rgbs[j];
    const std::uint8_t state = states ? states[j] : 0;
    if (skipBlanks && !r.first && IsBlankCharacter({c, size})) {
      p = PutCharacter<kFormat>(p, c, size, readable);
      continue;
    }
    const bool same = !r.first && rgb == r.rgb && (!kKeysState || state == r.state);
    if (!merge || !same) {
      if (!r.first) p = CloseRun<kFormat>(p, r);
      p = OpenRun<kFormat>(p, rgb, in.halves, j, state, styles);
      ++r.tags;
    }
    if constexpr (kFormat == MarkupFormat::kClassic) {
      if (states) {
        p = PutStateTag(p, kClassicClose[r.first ? 0 : r.state]);
        p = PutStateTag(p, kClassicOpen[state]);
      }
    }
    if (kBytes && !NeedsEscape<kFormat>(static_cast<unsigned char>(*c))) {
      *p++ = *c;
    } else {
      p = PutCharacter<kFormat>(p, c, size, readable);
    }
    r.first = false;
    r.rgb = rgb;
    r.state = state;
  }
  run = r;
  return p;
}

// Reduces every channel of a colour to `levels` levels, through a table per channel value.
class LevelTable {
 public:
  explicit LevelTable(int levels) {
    const std::uint32_t steps = static_cast<std::uint32_t>(levels - 1);
    for (std::uint32_t v = 0; v < 256; ++v) {
      const std::uint32_t level = RoundedQuotient(v * steps, 255);
      m_channel[v] = static_cast<std::uint8_t>(RoundedQuotient(level * 255, steps));
    }
  }

  std::uint32_t operator()(std::uint32_t rgb) const {
    return std::uint32_t{m_channel[rgb >> 16]} << 16 |
           std::uint32_t{m_channel[rgb >> 8 & 0xFF]} << 8 | m_channel[rgb & 0xFF];
  }

 private:
  // n / d rounded to the nearest whole number, a half to the even one.
  static std::uint32_t RoundedQuotient(std::uint32_t n, std::uint32_t d) {
    const std::uint32_t q = n / d, r = n % d;
    if (2 * r > d || (2 * r == d && q % 2 == 1)) return q + 1;
    return q;
  }

  std::uint8_t m_channel[256];
};

// The colours of a segment's characters, in the blend the options name.
template <typename Real>
class SegmentColors {
 public:
  SegmentColors(BlendSpace space, const Channels& from, const Channels& to, std::size_t m)
      : m_rgb(from, to, m) {
    if (space != BlendSpace::kRgb) m_perceptual.emplace(space, from, to, m);
  }

  void Fill(std::size_t first, std::size_t count, std::uint32_t* rgb) const {
    if (!m_perceptual) return m_rgb.FillPacked(first, count, rgb);
    for (std::size_t j = 0; j < count; ++j) {
      const Channels c = m_perceptual->At(first + j);
      rgb[j] = static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue);
    }
  }

 private:
  SegmentBlend<Real> m_rgb;
  std::optional<PerceptualBlend> m_perceptual;
};

template <MarkupFormat kFormat, bool kBytes, typename Real>
Status WriteSegments(std::span<const Channels> colors, const Segments& segments,
                     const CharacterText& text, bool wavy, const MarkupOptions& options, Wave& wave,
                     const FadeHooks& hooks, std::string& out) {
  const std::string_view bytes = text.text();
  if (!hooks.drain) {
    // Room for a tag on every character, as most fades write; more grows as it must. Only
    // ever more: this library's reserve also shrinks, which would cost a caller's buffer.
    const std::size_t room =
        out.size() + bytes.size() + text.size() * kTypicalTagBytes<kFormat> + kMaxTagBytes;
    if (room > out.capacity()) out.reserve(room);
  }
  MarkupWriter writer(out, hooks);
  CharacterText::Cursor cursor(text);
  const std::optional<LevelTable> levels =
      options.levels < 256 ? std::optional<LevelTable>(options.levels) : std::nullopt;
  const bool drawsWave = wavy && WritesWave(kFormat);
  RunState run;
  std::size_t position = 0;
  std::uint32_t rgb[kBlock];
  std::uint8_t tagIndexes[kBlock];
  std::uint8_t states[kBlock];
  std::uint32_t halves[2 * kBlock];
  // Without the size options every character has its whole tag: written by fixed-size copies,
  // except in ansi (which merges anyway) and in classic but for plain bytes without the wave
  // (its wave tags depend on the state before).
  [[maybe_unused]] const bool flat = !options.merge && !options.skipBlanks &&
                                     kFormat != MarkupFormat::kAnsi &&
                                     (kFormat != MarkupFormat::kClassic || (kBytes && !drawsWave));
  for (std::size_t k = 0; k < segments.count; ++k) {
    const std::size_t m = segments.lengths[k];
    if (m == 0) continue;
    const SegmentColors<Real> blend(options.blend, colors[k], colors[k + 1], m);
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
      if constexpr (kFormat != MarkupFormat::kAnsi) {
        if (!flat) MakeHexWords<kFormat>(rgb, count, halves);
      }
      const BlockInput in{rgb, halves, drawsWave ? states : nullptr, count};
      writer.Append(
          count * kMaxTagBytes + textBytes * kMaxEscapeGrowth + kStoreSlack, [&](char* p) {
            if constexpr (kFormat != MarkupFormat::kAnsi) {
              if (flat) {
                run.tags += count;
                if (kBytes && !drawsWave) {
                  return WriteFlatBytes<kFormat>(rgb, bytes.data() + position, count, options, p);
                }
                if constexpr (kFormat != MarkupFormat::kClassic) {
                  return drawsWave ? WriteFlat<kFormat, kBytes, true>(rgb, states, bytes, position,
                                                                      cursor, count, options, p)
                                   : WriteFlat<kFormat, kBytes, false>(rgb, states, bytes, position,
                                                                       cursor, count, options, p);
                }
              }
            }
            return WriteBlock<kFormat, kBytes>(in, bytes, position, cursor, options, run, p);
          });
      position += textBytes;
      if (Status status = writer.Written(count); !status.ok()) return status;
    }
  }
  if (!run.first) {
    writer.Append(kMaxTagBytes, [&](char* p) { return CloseRun<kFormat>(p, run); });
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

}  // namespace

Status WriteFormattedFade(std::span<const Channels> colors, const Segments& segments,
                          const CharacterText& text, bool wavy, const MarkupOptions& options,
                          Wave& wave, const FadeHooks& hooks, std::string& out) {
  switch (options.format) {
    case MarkupFormat::kClassic:
      return WriteInFormat<MarkupFormat::kClassic>(colors, segments, text, wavy, options, wave,
                                                   hooks, out);
    case MarkupFormat::kHtml:
      return WriteInFormat<MarkupFormat::kHtml>(colors, segments, text, wavy, options, wave, hooks,
                                                out);
    case MarkupFormat::kBbcode:
      return WriteInFormat<MarkupFormat::kBbcode>(colors, segments, text, wavy, options, wave,
                                                  hooks, out);
    case MarkupFormat::kAnsi:
      return WriteInFormat<MarkupFormat::kAnsi>(colors, segments, text, wavy, options, wave, hooks,
                                                out);
    case MarkupFormat::kMinecraft:
      return WriteInFormat<MarkupFormat::kMinecraft>(colors, segments, text, wavy, options, wave,
                                                     hooks, out);
    case MarkupFormat::kMinimessage:
      return WriteInFormat<MarkupFormat::kMinimessage>(colors, segments, text, wavy, options, wave,
                                                       hooks, out);
  }
  return Status::Ok();
}

}  // namespace tintrix::markup
