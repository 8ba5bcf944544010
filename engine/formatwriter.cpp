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
// How much an escape can grow a byte: `"` becomes `&quot;`.
constexpr std::size_t kMaxEscapeGrowth = 6;

// Six hexadecimal digits of 0xRRGGBB at p, and two bytes past them that are overwritten.
template <bool kLower>
inline char* WriteHex(char* p, std::uint32_t rgb) {
  std::uint64_t nibbles = 0;
  for (int k = 0; k < 6; ++k) nibbles |= std::uint64_t{(rgb >> (20 - 4 * k)) & 15} << (8 * k);
  const std::uint64_t carry = ((nibbles + 0x0606'0606'0606ull) >> 4) & 0x0101'0101'0101ull;
  const std::uint64_t digits = nibbles + 0x3030'3030'3030ull + carry * (kLower ? 0x27 : 7);
  std::memcpy(p, &digits, sizeof digits);
  return p + 6;
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

// The character's bytes, escaped as the format needs.
// `readable` tells that 16 bytes may be read from c, whatever the character's size.
template <MarkupFormat kFormat>
inline char* PutCharacter(char* p, const char* c, std::size_t size, bool readable) {
  if constexpr (kFormat == MarkupFormat::kHtml || kFormat == MarkupFormat::kMinimessage) {
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
  } else {
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
  const std::uint8_t* states;  // nullptr without the wave
  std::size_t count;
};

template <MarkupFormat kFormat>
inline char* CloseRun(char* p, const RunState& run) {
  if constexpr (kFormat == MarkupFormat::kHtml) {
    if (run.state == 1) p = Put(p, "</sub>");
    if (run.state == 2) p = Put(p, "</sup>");
    p = Put(p, "</span>");
  } else if constexpr (kFormat == MarkupFormat::kBbcode) {
    if (run.state == 1) p = Put(p, "[/sub]");
    if (run.state == 2) p = Put(p, "[/sup]");
    p = Put(p, "[/color]");
  }
  return p;
}

// The tags in front of a character that starts a new run, and for classic its wave tags.
template <MarkupFormat kFormat>
inline char* OpenRun(char* p, std::uint32_t rgb, std::uint8_t state, const MarkupOptions& o) {
  if constexpr (kFormat == MarkupFormat::kClassic) {
    p = Put(p, "<Font Color=#");
    p = WriteHex<false>(p, rgb);
    *p++ = '>';
  } else if constexpr (kFormat == MarkupFormat::kHtml) {
    p = Put(p, "<span style=\"color:#");
    p = WriteHex<true>(p, rgb);
    p = Put(p, "\">");
    if (state == 1) p = Put(p, "<sub>");
    if (state == 2) p = Put(p, "<sup>");
  } else if constexpr (kFormat == MarkupFormat::kBbcode) {
    p = Put(p, "[color=#");
    p = WriteHex<false>(p, rgb);
    *p++ = ']';
    if (state == 1) p = Put(p, "[sub]");
    if (state == 2) p = Put(p, "[sup]");
  } else if constexpr (kFormat == MarkupFormat::kAnsi) {
    p = Put(p, "\x1b[38;2;");
    p = PutDecimal(p, rgb >> 16);
    *p++ = ';';
    p = PutDecimal(p, rgb >> 8 & 0xFF);
    *p++ = ';';
    p = PutDecimal(p, rgb & 0xFF);
    *p++ = 'm';
  } else if constexpr (kFormat == MarkupFormat::kMinecraft) {
    p = Put(p, "&#");
    p = WriteHex<false>(p, rgb);
    if (o.underline) p = Put(p, "&n");
    if (o.italic) p = Put(p, "&o");
    if (o.bold) p = Put(p, "&l");
  } else {
    p = Put(p, "<#");
    p = WriteHex<true>(p, rgb);
    *p++ = '>';
  }
  return p;
}

// Writes one block of characters, the next `in.count` from `cursor`, which start at byte
// `start` of `bytes`.
template <MarkupFormat kFormat, bool kBytes>
char* WriteBlock(const BlockInput& in, std::string_view bytes, std::size_t start,
                 CharacterText::Cursor& cursor, const MarkupOptions& options, RunState& run,
                 char* p) {
  // The tags of classic's wave, from the state before to the character's own.
  static constexpr std::string_view kClose[] = {"", "</SUB>", "</SUP>", ""};
  static constexpr std::string_view kOpen[] = {"", "<SUB>", "<SUP>", ""};
  // ansi's colour sequences already mark changes only, merged or not.
  const bool merge = options.merge || kFormat == MarkupFormat::kAnsi;
  constexpr bool kKeysState = WritesWave(kFormat);
  for (std::size_t j = 0; j < in.count; ++j) {
    const std::size_t end = kBytes ? start + 1 : cursor.NextInBits();
    const char* c = bytes.data() + start;
    const std::size_t size = end - start;
    const bool readable = start + 16 <= bytes.size();
    start = end;
    std::uint32_t rgb = in.rgb[j];
    std::uint8_t state = in.states ? in.states[j] : 0;
    if (options.skipBlanks && !run.first && IsBlankCharacter({c, size})) {
      p = PutCharacter<kFormat>(p, c, size, readable);
      continue;
    }
    const bool same = !run.first && rgb == run.rgb && (!kKeysState || state == run.state);
    if (!merge || !same) {
      if (!run.first) p = CloseRun<kFormat>(p, run);
      p = OpenRun<kFormat>(p, rgb, state, options);
      ++run.tags;
    }
    if constexpr (kFormat == MarkupFormat::kClassic) {
      if (in.states) {
        const std::string_view close = kClose[run.first ? 0 : run.state];
        std::memcpy(p, close.data(), close.size());
        p += close.size();
        const std::string_view open = kOpen[state];
        std::memcpy(p, open.data(), open.size());
        p += open.size();
      }
    }
    p = PutCharacter<kFormat>(p, c, size, readable);
    run.first = false;
    run.rgb = rgb;
    run.state = state;
  }
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
  MarkupWriter writer(out, hooks);
  const std::string_view bytes = text.text();
  CharacterText::Cursor cursor(text);
  const std::optional<LevelTable> levels =
      options.levels < 256 ? std::optional<LevelTable>(options.levels) : std::nullopt;
  const bool drawsWave = wavy && WritesWave(kFormat);
  RunState run;
  std::size_t position = 0;
  std::uint32_t rgb[kBlock];
  std::uint8_t tagIndexes[kBlock];
  std::uint8_t states[kBlock];
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
      const BlockInput in{rgb, drawsWave ? states : nullptr, count};
      writer.Append(
          count * kMaxTagBytes + textBytes * kMaxEscapeGrowth + kStoreSlack, [&](char* p) {
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
