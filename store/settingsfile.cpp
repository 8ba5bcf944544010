#include "store/settingsfile.h"

#include "engine/text.h"

namespace tintrix {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsIniSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsIniSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsIniSpace(text.back())) text.remove_suffix(1);
  return text;
}

// A group or key name as written: %XX and %UXXXX escapes, '\' for '/'.
std::string UnescapeName(std::string_view name) {
  std::string out;
  for (std::size_t i = 0; i < name.size();) {
    if (name[i] == '\\') {
      out += '/';
      ++i;
      continue;
    }
    const bool wide = name[i] == '%' && i + 1 < name.size() && name[i + 1] == 'U';
    const std::size_t first = i + (wide ? 2 : 1), digits = wide ? 4 : 2;
    bool escape = name[i] == '%' && first + digits <= name.size();
    for (std::size_t k = 0; escape && k < digits; ++k) escape = IsHexDigit(name[first + k]);
    if (!escape) {
      out += name[i++];
      continue;
    }
    char32_t code = 0;
    for (std::size_t k = 0; k < digits; ++k) code = code * 16 + HexValue(name[first + k]);
    AppendUtf8(code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code, &out);
    i = first + digits;
  }
  return out;
}

// One UTF-16 unit written by an escape, as UTF-8.
void AppendUnit(char16_t unit, std::string& out) {
  AppendUtf8(unit >= 0xD800 && unit <= 0xDFFF ? char32_t{0xFFFD} : char32_t{unit}, &out);
}

void ChopTrailingBlanks(std::string& text, std::size_t limit) {
  while (text.size() > limit && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
}

// A value's text as written after the '=': its escapes resolved and quotes dropped; the
// pieces between unquoted commas go into `list` when there is more than one.
std::string UnescapeValue(std::string_view raw, std::vector<std::string>& list) {
  std::string result;
  bool isList = false, inQuotes = false, quoted = false;
  std::size_t i = 0;
  std::size_t chopLimit = 0;
  const auto skipBlanks = [&] {
    while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) ++i;
    chopLimit = result.size();
  };
  skipBlanks();
  while (i < raw.size()) {
    const char c = raw[i];
    if (c == '\\') {
      if (++i >= raw.size()) break;
      const char e = raw[i++];
      const std::string_view simple = "abfnrtv\"?'\\";
      const std::string_view meaning = "\a\b\f\n\r\t\v\"?'\\";
      if (const std::size_t k = simple.find(e); k != std::string_view::npos) {
        result += meaning[k];
        chopLimit = result.size();
        continue;
      }
      if ((e == 'x' && i < raw.size() && IsHexDigit(raw[i])) || (e >= '0' && e <= '7')) {
        const bool hex = e == 'x';
        char16_t unit = hex ? 0 : static_cast<char16_t>(e - '0');
        while (i < raw.size() && (hex ? IsHexDigit(raw[i]) : raw[i] >= '0' && raw[i] <= '7')) {
          unit = static_cast<char16_t>(unit * (hex ? 16 : 8) + HexValue(raw[i++]));
        }
        AppendUnit(unit, result);
      } else if ((e == '\n' || e == '\r') && i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') &&
                 raw[i] != e) {
        ++i;  // a line continued after \r\n or \n\r
      }
      chopLimit = result.size();
    } else if (c == '"') {
      ++i;
      quoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) skipBlanks();
    } else if (c == ',' && !inQuotes) {
      if (!quoted) ChopTrailingBlanks(result, chopLimit);
      isList = true;
      list.push_back(std::move(result));
      result.clear();
      quoted = false;
      ++i;
      skipBlanks();
    } else {
      result += c;
      ++i;
    }
  }
  if (!quoted) ChopTrailingBlanks(result, chopLimit);
  if (isList) list.push_back(std::move(result));
  return isList ? std::string() : result;
}

// A text as QSettings turns it into a value: "@@x" is "@x", "@String(x)" and "@ByteArray(x)"
// are x, "@Invalid()" is no value.
std::optional<std::string> TextValue(std::string_view text) {
  if (text == "@Invalid()") return std::nullopt;
  for (std::string_view wrapper : {"@String(", "@ByteArray("}) {
    if (text.starts_with(wrapper) && text.ends_with(')')) {
      text = text.substr(wrapper.size(), text.size() - wrapper.size() - 1);
      return std::string(text);
    }
  }
  if (text.starts_with("@@")) text.remove_prefix(1);
  return std::string(text);
}

void AppendHex(unsigned value, std::string& out) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  if (value >= 16) out += kDigits[value >> 4];
  out += kDigits[value & 15];
}

}  // namespace

// One logical line: [begin, end) without its line break or a trailing comment.
struct SettingsFile::Line {
  enum Kind { kGroup, kKey, kBroken };
  Kind kind;
  std::size_t begin;
  std::size_t end;
  std::size_t equals = 0;  // kKey: offset of the '='
  std::string name;        // kGroup: the group; kKey: the key
};

SettingsFile::SettingsFile(std::string bytes) : m_bytes(std::move(bytes)) {}

std::vector<SettingsFile::Line> SettingsFile::Lines() const {
  // Lines end at a line break outside quotes; a backslash escapes what follows it (a line
  // break included); a ';' starts a comment that runs to the end of the physical line.
  std::vector<Line> lines;
  const std::string_view data = m_bytes;
  std::size_t pos = data.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  while (true) {
    std::size_t start = pos;
    while (start < data.size() && IsIniSpace(data[start])) ++start;
    std::size_t i = start, equals = std::string_view::npos;
    bool inQuotes = false;
    bool danglingEscape = false;
    while (i < data.size()) {
      const char c = data[i++];
      if (c == '=') {
        if (!inQuotes && equals == std::string_view::npos) equals = i - 1;
      } else if (c == '\n' || c == '\r') {
        if (!inQuotes) {
          --i;
          break;
        }
      } else if (c == '\\') {
        // A backslash that ends the file, or escapes the file's last line break, would join
        // whatever is added after it to its line.
        danglingEscape = i == data.size();
        if (i < data.size()) {
          const char next = data[i++];
          if (i < data.size() &&
              ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n'))) {
            ++i;
          }
          danglingEscape = (next == '\n' || next == '\r') && i == data.size();
        }
      } else if (c == '"') {
        inQuotes = !inQuotes;
      } else if (c == ';') {
        if (i == start + 1) {  // a comment line
          while (i < data.size() && data[i] != '\n' && data[i] != '\r') ++i;
          while (i < data.size() && IsIniSpace(data[i])) ++i;
          start = i;
          equals = std::string_view::npos;
        } else if (!inQuotes) {
          --i;
          break;
        }
      }
    }
    pos = i;
    if (i == start) return lines;
    Line line{Line::kBroken, start, i, 0, {}};
    const std::string_view text = data.substr(start, i - start);
    if (inQuotes || danglingEscape) {
      // A quote left open, or an escape at the very end, would swallow whatever follows.
    } else if (text.front() == '[') {
      const std::size_t close = text.find(']');
      if (close != std::string_view::npos) {
        line.kind = Line::kGroup;
        line.name = UnescapeName(Trim(text.substr(1, close - 1)));
      }
    } else if (equals != std::string_view::npos) {
      line.kind = Line::kKey;
      line.equals = equals;
      line.name = UnescapeName(Trim(data.substr(start, equals - start)));
    }
    lines.push_back(std::move(line));
  }
}

bool SettingsFile::clean() const {
  for (const Line& line : Lines()) {
    if (line.kind == Line::kBroken) return false;
  }
  return true;
}

std::optional<std::string> SettingsFile::Value(std::string_view group, std::string_view key) const {
  std::optional<std::string> found;
  bool inGroup = false;
  for (const Line& line : Lines()) {
    if (line.kind == Line::kGroup) inGroup = line.name == group;
    if (!inGroup || line.kind != Line::kKey || line.name != key) continue;
    std::vector<std::string> list;
    std::string text = UnescapeValue(
        std::string_view(m_bytes).substr(line.equals + 1, line.end - line.equals - 1), list);
    if (list.empty()) {
      found = TextValue(text);
      continue;
    }
    std::string joined;
    for (std::size_t k = 0; k < list.size(); ++k) {
      if (k > 0) joined += ", ";
      joined += list[k].starts_with("@@") ? list[k].substr(1) : list[k];
    }
    found = joined;
  }
  return found;
}

void SettingsFile::Set(std::string_view group, std::string_view key, std::string_view value) {
  const std::string escaped = EscapeSettingsValue(value);
  const std::vector<Line> lines = Lines();
  std::vector<const Line*> keyLines;
  const Line* lastInGroup = nullptr;
  bool inGroup = false;
  for (const Line& line : lines) {
    if (line.kind == Line::kGroup) inGroup = line.name == group;
    if (!inGroup) continue;
    lastInGroup = &line;
    if (line.kind == Line::kKey && line.name == key) keyLines.push_back(&line);
  }
  // From the end, so that the offsets of the lines before stay true.
  for (auto line = keyLines.rbegin(); line != keyLines.rend(); ++line) {
    // Blanks before a comment stay where they are.
    std::size_t end = (*line)->end;
    while (end > (*line)->equals + 1 && (m_bytes[end - 1] == ' ' || m_bytes[end - 1] == '\t')) {
      --end;
    }
    m_bytes.replace((*line)->equals + 1, end - (*line)->equals - 1, escaped);
  }
  if (!keyLines.empty()) return;
  const std::string keyLine = std::string(key) + "=" + escaped;
  if (lastInGroup != nullptr) {
    // After the line's own line break: put straight after an escaped "\r", a "\n" would
    // make one escaped line break of the two and join the new line to it.
    std::size_t at = lastInGroup->end;
    while (at < m_bytes.size() && m_bytes[at] != '\n' && m_bytes[at] != '\r') ++at;  // a comment
    if (at == m_bytes.size()) {
      m_bytes += "\n" + keyLine;
      return;
    }
    at += m_bytes.compare(at, 2, "\r\n") == 0 ? 2 : 1;
    m_bytes.insert(at, keyLine + "\n");
    return;
  }
  if (!m_bytes.empty() && m_bytes.back() != '\n' && m_bytes.back() != '\r') m_bytes += '\n';
  if (!m_bytes.empty()) m_bytes += '\n';
  // Appended piece by piece, without the temporaries of `"[" + std::string(group) + ...`
  // (whose insertion at the front GCC 12 wrongly takes for an overlapping copy, -Wrestrict).
  m_bytes.append("[").append(group).append("]\n").append(keyLine).append("\n");
}

std::string EscapeSettingsValue(std::string_view value) {
  std::string text(value);
  if (text.find('\0') != std::string::npos) {
    text = "@String(" + text + ")";
  } else if (!text.empty() && text.front() == '@') {
    text.insert(0, 1, '@');
  }
  std::string out;
  bool needsQuotes = false;
  bool escapeNextHexDigit = false;  // after \x or \0, a hex digit would read as part of it
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == ';' || c == ',' || c == '=') needsQuotes = true;
    if (escapeNextHexDigit && IsHexDigit(c)) {
      AppendHex(byte, out);
      continue;
    }
    escapeNextHexDigit = false;
    const std::string_view special = "\a\b\f\n\r\t\v";
    if (const std::size_t k = special.find(c); k != std::string_view::npos) {
      out += '\\';
      out += "abfnrtv"[k];
    } else if (c == '\0') {
      out += "\\0";
      escapeNextHexDigit = true;
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte <= 0x1F) {
      AppendHex(byte, out);
      escapeNextHexDigit = true;
    } else {
      out += c;
    }
  }
  if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' '))) {
    out = "\"" + out + "\"";
  }
  return out;
}

}  // namespace tintrix
