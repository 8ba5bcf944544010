#include "engine/internal/readingparts.h"

#include <cctype>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <utility>

#include "engine/text.h"

// The formats of tags around the text: a head of font and style tags, then colour tags
// before the characters, each run perhaps closed, the text with the format's escapes.
namespace tintrix::reading {

namespace {

// An HTML character reference at the start of `rest` (which starts with '&'), appended to
// `out`; false, taking nothing, when there is none.
bool TakeEntity(std::string_view& rest, std::string& out) {
  static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
      {"&amp;", "&"},   {"&lt;", "<"},   {"&gt;", ">"},
      {"&quot;", "\""}, {"&apos;", "'"}, {"&nbsp;", "\u00A0"}};
  for (const auto& [name, text] : kNamed) {
    if (Take(rest, name)) {
      out += text;
      return true;
    }
  }
  const bool hex = rest.starts_with("&#x") || rest.starts_with("&#X");
  if (!hex && !rest.starts_with("&#")) return false;
  const std::size_t digits = hex ? 3 : 2;
  const std::size_t end = rest.find(';', digits);
  std::uint32_t code = 0;
  const char* first = rest.data() + digits;
  const char* last = end == std::string_view::npos ? first : rest.data() + end;
  const auto [stop, error] = std::from_chars(first, last, code, hex ? 16 : 10);
  if (end == std::string_view::npos || end > digits + 8 || error != std::errc() || stop != last ||
      first == last || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0) {
    return false;
  }
  AppendUtf8(static_cast<char32_t>(code), &out);
  rest.remove_prefix(end + 1);
  return true;
}

// One unit of text: an escape undone, or one byte as it stands.
void TakeTextUnit(std::string_view& rest, TextEscape escape, std::string& out) {
  if (escape == TextEscape::kHtmlEntities && rest.front() == '&' && TakeEntity(rest, out)) return;
  if (escape == TextEscape::kBackslash && rest.size() > 1 && rest[0] == '\\' &&
      (rest[1] == '\\' || rest[1] == '<')) {
    out += rest[1];
    rest.remove_prefix(2);
    return;
  }
  out += rest.front();
  rest.remove_prefix(1);
}

// A CSS escape after its backslash: up to six hexadecimal digits and one blank after them, or
// any other character as itself.
void TakeCssEscape(std::string_view& rest, std::string& out) {
  std::size_t digits = 0;
  char32_t code = 0;
  while (digits < 6 && digits < rest.size() &&
         std::isxdigit(static_cast<unsigned char>(rest[digits]))) {
    const char c = rest[digits++];
    code = code * 16 + static_cast<char32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  if (digits == 0) {
    out += rest.front();
    rest.remove_prefix(1);
    return;
  }
  // As CSS reads them: no NUL, surrogate or code point past Unicode's end.
  if (code == 0 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = 0xFFFD;
  AppendUtf8(code, &out);
  rest.remove_prefix(digits);
  if (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t' || rest.front() == '\n')) {
    rest.remove_prefix(1);
  }
}

// The font name as the font tag holds it, its quoting undone.
std::string UnquoteFont(const FormatTraits& format, std::string_view quoted) {
  if (format.font != FontQuoting::kCssInHtml && format.font != FontQuoting::kHtmlAttribute) {
    return std::string(quoted);
  }
  std::string unescaped;
  for (std::string_view rest = quoted; !rest.empty();) {
    TakeTextUnit(rest, TextEscape::kHtmlEntities, unescaped);
  }
  if (format.font == FontQuoting::kHtmlAttribute) return unescaped;
  std::string font;
  for (std::string_view rest = unescaped; !rest.empty();) {
    const char c = rest.front();
    rest.remove_prefix(1);
    if (c == '\\' && !rest.empty()) {
      TakeCssEscape(rest, font);
    } else {
      font += c;
    }
  }
  return font;
}

// The font tag and the style tags before the runs.
void ReadHead(std::string_view& rest, const FormatTraits& format, MarkupReading& reading) {
  if (format.font != FontQuoting::kNone && rest.starts_with(format.fontOpen)) {
    const std::size_t end = rest.find(format.fontOpenEnd, format.fontOpen.size());
    if (end != std::string_view::npos) {
      reading.hasFont = true;
      reading.font =
          UnquoteFont(format, rest.substr(format.fontOpen.size(), end - format.fontOpen.size()));
      rest.remove_prefix(end + format.fontOpenEnd.size());
    }
  }
  for (std::size_t s = 0; s < kStyleCount; ++s) {
    if (Take(rest, format.styleOpen[s])) reading.styles[s] = true;
  }
}

bool TakeAtEnd(std::string_view& rest, std::string_view token) {
  if (token.empty() || !rest.ends_with(token)) return false;
  rest.remove_suffix(token.size());
  return true;
}

// The ends of the tags ReadHead found, innermost last.
void ReadTail(std::string_view& rest, const FormatTraits& format, const MarkupReading& reading) {
  if (reading.hasFont) TakeAtEnd(rest, format.fontClose);
  for (std::size_t s = 0; s < kStyleCount; ++s) {
    if (reading.styles[s]) TakeAtEnd(rest, format.styleClose[s]);
  }
}

// A colour tag at the start of `rest` with the style codes and wave tags that follow it.
bool TakeColorTag(std::string_view& rest, const FormatTraits& format, MarkupReading& reading) {
  std::string_view probe = rest;
  if (!Take(probe, format.colorPrefix)) return false;
  const std::optional<std::uint32_t> rgb = TakeHexDigits(probe, format.colorMark);
  if (!rgb || (!format.colorSuffix.empty() && !Take(probe, format.colorSuffix))) return false;
  rest = probe;
  AddColor(reading, *rgb);
  for (std::size_t s = 0; s < kStyleCount; ++s) {
    if (Take(rest, format.styleCodes[s])) reading.styles[s] = true;
  }
  if (format.wave == WavePlace::kAfterColorTag) {
    // The state before closes first.
    if (!Take(rest, format.waveClose[1])) Take(rest, format.waveClose[2]);
  }
  if (format.wave != WavePlace::kNone &&
      (Take(rest, format.waveOpen[1]) || Take(rest, format.waveOpen[2]))) {
    reading.wavy = true;
  }
  return true;
}

// A wave state closed and the next opened with no colour tag between, as a run of one colour
// (--merge) writes them between its characters: "</SUP><SUP>".
bool TakeWaveBetween(std::string_view& rest, const FormatTraits& format) {
  for (std::size_t closed = 1; closed <= 2; ++closed) {
    for (std::size_t opened = 1; opened <= 2; ++opened) {
      std::string_view probe = rest;
      if (Take(probe, format.waveClose[closed]) && Take(probe, format.waveOpen[opened])) {
        rest = probe;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

MarkupReading ReadTagged(std::string_view document, MarkupFormat kind) {
  const FormatTraits& format = TraitsOf(kind);
  MarkupReading reading;
  reading.format = kind;
  std::string_view rest = document;
  Take(rest, format.documentOpen);
  TakeAtEnd(rest, format.documentClose);
  ReadHead(rest, format, reading);
  ReadTail(rest, format, reading);
  reading.text.reserve(rest.size());
  while (!rest.empty()) {
    if (TakeColorTag(rest, format, reading)) continue;
    if (format.wave == WavePlace::kInsideElement &&
        (Take(rest, format.waveClose[1]) || Take(rest, format.waveClose[2]))) {
      continue;
    }
    if (format.wave == WavePlace::kAfterColorTag && TakeWaveBetween(rest, format)) continue;
    if (Take(rest, format.runClose)) {
      AddNoColor(reading);
      continue;
    }
    TakeTextUnit(rest, format.escape, reading.text);
  }
  return reading;
}

}  // namespace tintrix::reading
