#include "engine/markupreading.h"

#include <cctype>
#include <charconv>
#include <system_error>

#include "engine/text.h"

namespace tintrix {

namespace {

// Moves `rest` past `token` when it starts with it (never for an empty token).
bool Take(std::string_view& rest, std::string_view token) {
  if (token.empty() || !rest.starts_with(token)) return false;
  rest.remove_prefix(token.size());
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Six hexadecimal digits, each after `mark` when there is one: 0xRRGGBB.
std::optional<std::uint32_t> TakeHexDigits(std::string_view& rest, std::string_view mark) {
  std::string_view probe = rest;
  std::uint32_t rgb = 0;
  for (int digit = 0; digit < 6; ++digit) {
    if (!mark.empty() && !Take(probe, mark)) return std::nullopt;
    const int value = probe.empty() ? -1 : HexValue(probe.front());
    if (value < 0) return std::nullopt;
    rgb = rgb << 4 | static_cast<std::uint32_t>(value);
    probe.remove_prefix(1);
  }
  rest = probe;
  return rgb;
}

void AddColor(MarkupReading& reading, std::uint32_t rgb) {
  reading.marks.push_back({reading.text.size(), rgb, true});
  ++reading.colorTags;
}

void AddNoColor(MarkupReading& reading) {
  reading.marks.push_back({reading.text.size(), 0, false});
}

Status NoColorTag(MarkupFormat format) {
  return Status::InvalidArgument("no colour tag in " + std::string(TraitsOf(format).name));
}

// ---- Formats of tags around the text.

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
    if (Take(rest, format.runClose)) {
      AddNoColor(reading);
      continue;
    }
    TakeTextUnit(rest, format.escape, reading.text);
  }
  return reading;
}

// ---- ansi: Select Graphic Rendition sequences of any program.

// The numbers of an SGR sequence ("38;2;1;2;3"); an empty one is 0.
std::vector<int> SgrNumbers(std::string_view parameters) {
  std::vector<int> numbers;
  for (std::size_t start = 0; start <= parameters.size();) {
    std::size_t end = parameters.find_first_of(";:", start);
    if (end == std::string_view::npos) end = parameters.size();
    int value = 0;
    std::from_chars(parameters.data() + start, parameters.data() + end, value);
    numbers.push_back(value);
    start = end + 1;
  }
  return numbers;
}

void ApplySgr(std::string_view parameters, MarkupReading& reading) {
  const std::vector<int> numbers = SgrNumbers(parameters);
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    switch (numbers[k]) {
      case 0:
      case 39:
        AddNoColor(reading);
        break;
      case 1:
        reading.styles[2] = true;
        break;
      case 3:
        reading.styles[1] = true;
        break;
      case 4:
        reading.styles[0] = true;
        break;
      case 38:
        if (k + 4 < numbers.size() && numbers[k + 1] == 2) {
          const int r = numbers[k + 2], g = numbers[k + 3], b = numbers[k + 4];
          if (r >= 0 && r < 256 && g >= 0 && g < 256 && b >= 0 && b < 256) {
            AddColor(reading, static_cast<std::uint32_t>(r << 16 | g << 8 | b));
          }
          k += 4;
        } else {
          // A palette colour, whose value is the terminal's: the rest says nothing more.
          AddNoColor(reading);
          if (k + 2 >= numbers.size() || numbers[k + 1] != 5) return;
          k += 2;
        }
        break;
      default:
        break;
    }
  }
}

MarkupReading ReadAnsi(std::string_view document) {
  MarkupReading reading;
  reading.format = MarkupFormat::kAnsi;
  reading.text.reserve(document.size());
  for (std::size_t i = 0; i < document.size();) {
    if (document[i] != '\x1b') {
      reading.text += document[i++];
      continue;
    }
    if (i + 1 >= document.size() || document[i + 1] != '[') {
      i += 2;
      continue;
    }
    std::size_t end = i + 2;
    while (end < document.size() && static_cast<unsigned char>(document[end]) >= 0x20 &&
           static_cast<unsigned char>(document[end]) < 0x40) {
      ++end;
    }
    if (end >= document.size()) break;
    if (document[end] == 'm') ApplySgr(document.substr(i + 2, end - i - 2), reading);
    i = end + 1;
  }
  return reading;
}

// ---- json: an array of text components.

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : m_rest(text) {}

  // The components into `reading`; false when the text is no array of components.
  bool ReadComponents(MarkupReading& reading) {
    SkipSpace();
    if (!Take(m_rest, "[")) return false;
    SkipSpace();
    if (Take(m_rest, "]")) return AtEnd();
    do {
      SkipSpace();
      if (!ReadComponent(reading)) return false;
      SkipSpace();
    } while (Take(m_rest, ","));
    return Take(m_rest, "]") && AtEnd();
  }

 private:
  static constexpr int kDeepest = 64;

  bool AtEnd() {
    SkipSpace();
    return m_rest.empty();
  }

  void SkipSpace() {
    while (!m_rest.empty() &&
           (m_rest[0] == ' ' || m_rest[0] == '\t' || m_rest[0] == '\n' || m_rest[0] == '\r')) {
      m_rest.remove_prefix(1);
    }
  }

  // A plain string is text without a colour; an object may give one.
  bool ReadComponent(MarkupReading& reading) {
    std::string text;
    if (m_rest.starts_with("\"")) {
      if (!ReadString(text)) return false;
      AddNoColor(reading);
      reading.text += text;
      return true;
    }
    if (!Take(m_rest, "{")) return false;
    std::optional<std::uint32_t> rgb;
    SkipSpace();
    if (!Take(m_rest, "}")) {
      do {
        SkipSpace();
        if (!ReadMember(reading, text, rgb)) return false;
        SkipSpace();
      } while (Take(m_rest, ","));
      if (!Take(m_rest, "}")) return false;
    }
    if (rgb) {
      AddColor(reading, *rgb);
    } else {
      AddNoColor(reading);
    }
    reading.text += text;
    return true;
  }

  bool ReadMember(MarkupReading& reading, std::string& text, std::optional<std::uint32_t>& rgb) {
    std::string key;
    if (!ReadString(key)) return false;
    SkipSpace();
    if (!Take(m_rest, ":")) return false;
    SkipSpace();
    if (key == "text") return ReadString(text);
    if (key == "color" && m_rest.starts_with("\"")) {
      std::string color;
      if (!ReadString(color)) return false;
      std::string_view digits = color;
      if (Take(digits, "#") && digits.size() == 6) rgb = TakeHexDigits(digits, {});
      return true;
    }
    static constexpr std::string_view kStyleKeys[kStyleCount] = {"underlined", "italic", "bold"};
    for (std::size_t s = 0; s < kStyleCount; ++s) {
      if (key == kStyleKeys[s] && Take(m_rest, "true")) {
        reading.styles[s] = true;
        return true;
      }
    }
    return SkipValue(0);
  }

  bool SkipValue(int depth) {
    if (depth > kDeepest || m_rest.empty()) return false;
    std::string ignored;
    if (m_rest.starts_with("\"")) return ReadString(ignored);
    if (m_rest.front() == '[' || m_rest.front() == '{') return SkipContainer(depth);
    // A number or a literal.
    const std::size_t end = m_rest.find_first_of(",]} \t\r\n");
    if (end == 0) return false;
    m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end);
    return true;
  }

  // An array or an object, whatever it holds, `depth` containers deep.
  bool SkipContainer(int depth) {
    const bool object = m_rest.front() == '{';
    const std::string_view close = object ? "}" : "]";
    m_rest.remove_prefix(1);
    SkipSpace();
    if (Take(m_rest, close)) return true;
    std::string ignored;
    do {
      SkipSpace();
      if (object) {
        if (!ReadString(ignored)) return false;
        SkipSpace();
        if (!Take(m_rest, ":")) return false;
        SkipSpace();
      }
      if (!SkipValue(depth + 1)) return false;
      SkipSpace();
    } while (Take(m_rest, ","));
    return Take(m_rest, close);
  }

  // Four hexadecimal digits after "\u".
  std::optional<char32_t> TakeUnit() {
    if (m_rest.size() < 4) return std::nullopt;
    char32_t unit = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const int value = HexValue(m_rest[k]);
      if (value < 0) return std::nullopt;
      unit = unit << 4 | static_cast<char32_t>(value);
    }
    m_rest.remove_prefix(4);
    return unit;
  }

  // A \u escape (the "\u" already taken), a surrogate pair joined; a lone surrogate is U+FFFD.
  bool ReadUnicodeEscape(std::string& out) {
    const std::optional<char32_t> unit = TakeUnit();
    if (!unit) return false;
    char32_t code = *unit;
    if (code >= 0xD800 && code <= 0xDBFF && m_rest.starts_with("\\u")) {
      std::string_view saved = m_rest;
      m_rest.remove_prefix(2);
      const std::optional<char32_t> low = TakeUnit();
      if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
      } else {
        m_rest = saved;
      }
    }
    if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
    AppendUtf8(code, &out);
    return true;
  }

  bool ReadString(std::string& out) {
    if (!Take(m_rest, "\"")) return false;
    while (!m_rest.empty()) {
      const char c = m_rest.front();
      m_rest.remove_prefix(1);
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (m_rest.empty()) return false;
      const char e = m_rest.front();
      m_rest.remove_prefix(1);
      static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
      if (const std::size_t at = kFrom.find(e); at != std::string_view::npos) {
        out += kTo[at];
      } else if (e != 'u' || !ReadUnicodeEscape(out)) {
        return false;
      }
    }
    return false;
  }

  std::string_view m_rest;
};

// Whether the format can hold a colour tag of `document` at all: a quick look, before reading.
bool MayHold(std::string_view document, MarkupFormat format) {
  switch (format) {
    case MarkupFormat::kJson:
      return document.find('[') != std::string_view::npos;
    case MarkupFormat::kAnsi:
      return document.find("\x1b[") != std::string_view::npos;
    default:
      return document.find(TraitsOf(format).colorPrefix) != std::string_view::npos;
  }
}

}  // namespace

StatusOr<MarkupReading> ReadMarkup(std::string_view document, MarkupFormat format) {
  MarkupReading reading;
  if (format == MarkupFormat::kJson) {
    reading.format = format;
    if (!JsonReader(document).ReadComponents(reading)) {
      return Status::InvalidArgument("not a json text component list");
    }
  } else if (format == MarkupFormat::kAnsi) {
    reading = ReadAnsi(document);
  } else {
    reading = ReadTagged(document, format);
  }
  if (reading.colorTags == 0) return NoColorTag(format);
  return reading;
}

StatusOr<MarkupReading> ReadAnyMarkup(std::string_view document) {
  std::optional<MarkupReading> best;
  for (std::size_t k = 0; k < kFormats.size(); ++k) {
    const auto format = static_cast<MarkupFormat>(k);
    if (!MayHold(document, format)) continue;
    StatusOr<MarkupReading> reading = ReadMarkup(document, format);
    if (reading.ok() && (!best || reading->colorTags > best->colorTags)) {
      best = std::move(reading).value();
    }
  }
  if (!best) return Status::InvalidArgument("no colour tag in any format");
  return std::move(*best);
}

}  // namespace tintrix
