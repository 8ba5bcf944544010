#include "engine/internal/readingparts.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/text.h"

namespace tintrix::reading {

namespace {

// An array of text components, read by hand: a colour, the styles and the text of each.
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

}  // namespace

bool ReadJson(std::string_view document, MarkupReading& reading) {
  return JsonReader(document).ReadComponents(reading);
}

}  // namespace tintrix::reading
