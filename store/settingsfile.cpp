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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void ChopTrailingBlanks(std::string& text, std::size_t limit) {
  while (text.size() > limit && IsBlank(text.back())) text.pop_back();
}

bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

// The first byte at or after `i` that is not INI space.
std::size_t SkipIniSpace(std::string_view text, std::size_t i) {
  while (i < text.size() && IsIniSpace(text[i])) ++i;
  return i;
}

// Reads a value's text as written after the '=': its escapes resolved and quotes dropped, the
// pieces between unquoted commas apart. Blanks around a piece go, unless quoted or escaped.
class ValueReader {
 public:
  explicit ValueReader(std::string_view raw) : m_raw(raw) {}

  // The value; or, when it holds unquoted commas, nothing and its pieces in `list`.
  std::string Read(std::vector<std::string>& list) {
    SkipBlanks();
    while (m_at < m_raw.size()) {
      const char c = m_raw[m_at++];
      if (c == '\\') {
        if (m_at == m_raw.size()) break;  // a backslash at the end stands for nothing
        ReadEscape();
      } else if (c == '"') {
        m_quoted = true;
        m_inQuotes = !m_inQuotes;
        if (!m_inQuotes) SkipBlanks();
      } else if (c == ',' && !m_inQuotes) {
        EndPiece(list);
        SkipBlanks();
      } else {
        m_piece += c;
      }
    }
    if (!m_isList) {
      if (!m_quoted) ChopTrailingBlanks(m_piece, m_keep);
      return std::move(m_piece);
    }
    EndPiece(list);
    return {};
  }

 private:
  // Blanks after the start, a comma or a closing quote; what is already read stays whole.
  void SkipBlanks() {
    while (m_at < m_raw.size() && IsBlank(m_raw[m_at])) ++m_at;
    m_keep = m_piece.size();
  }

  // The escape after a backslash: C's simple escapes, \x and octal UTF-16 units, and an escaped
  // line break (with its pair, \r\n or \n\r), which continues the line and stands for nothing.
  // What it writes is kept, blanks included.
  void ReadEscape() {
    const std::string_view simple = "abfnrtv\"?'\\";
    const std::string_view meaning = "\a\b\f\n\r\t\v\"?'\\";
    const char e = m_raw[m_at++];
    if (const std::size_t k = simple.find(e); k != std::string_view::npos) {
      m_piece += meaning[k];
    } else if ((e == 'x' && m_at < m_raw.size() && IsHexDigit(m_raw[m_at])) || IsOctalDigit(e)) {
      AppendUnit(ReadUnit(e), m_piece);
    } else if (IsLineBreak(e) && m_at < m_raw.size() && IsLineBreak(m_raw[m_at]) &&
               m_raw[m_at] != e) {
      ++m_at;
    }
    m_keep = m_piece.size();
  }

  // The UTF-16 unit of a \x escape (`first` is 'x') or an octal one (`first` is its first digit),
  // its digits as many as follow.
  char16_t ReadUnit(char first) {
    const bool hex = first == 'x';
    const int base = hex ? 16 : 8;
    auto unit = static_cast<char16_t>(hex ? 0 : first - '0');
    while (m_at < m_raw.size() && (hex ? IsHexDigit(m_raw[m_at]) : IsOctalDigit(m_raw[m_at]))) {
      unit = static_cast<char16_t>(unit * base + HexValue(m_raw[m_at++]));
    }
    return unit;
  }

  void EndPiece(std::vector<std::string>& list) {
    if (!m_quoted) ChopTrailingBlanks(m_piece, m_keep);
    list.push_back(std::move(m_piece));
    m_piece.clear();
    m_quoted = false;
    m_isList = true;
  }

  std::string_view m_raw;
  std::size_t m_at = 0;    // the next byte of m_raw
  std::string m_piece;     // what is read of the current piece
  std::size_t m_keep = 0;  // the length of m_piece that trailing blanks are chopped to at most
  bool m_inQuotes = false;
  bool m_quoted = false;  // the current piece had a quote
  bool m_isList = false;  // a piece has ended at a comma
};

// A value's text as written after the '=': its escapes resolved and quotes dropped; the
// pieces between unquoted commas go into `list` when there is more than one.
std::string UnescapeValue(std::string_view raw, std::vector<std::string>& list) {
  return ValueReader(raw).Read(list);
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

// Where one logical line of the file lies. Lines end at a line break outside quotes; a
// backslash escapes what follows it (a line break included); a ';' starts a comment that runs
// to the end of the physical line, and one at the start of a line makes all of it a comment.
struct ScannedLine {
  std::size_t start = 0;  // after blanks, empty lines and comment lines
  std::size_t end = 0;    // at the line break or comment that ends it, or the end of the file
  std::size_t equals = std::string_view::npos;  // the first '=' outside quotes
  bool openQuote = false;                       // a quote is left open at the end of the file
  // A backslash that ends the file, or escapes the file's last line break, would join whatever
  // is added after it to its line.
  bool danglingEscape = false;
};

// Past the escape whose backslash is just before `at`: the escaped byte, and the rest of an
// escaped \r\n or \n\r pair. Tells in `dangling` whether it is the file's dangling escape.
std::size_t SkipEscape(std::string_view data, std::size_t at, bool& dangling) {
  if (at == data.size()) {
    dangling = true;
    return at;
  }
  const char next = data[at++];
  if (at < data.size() && IsLineBreak(next) && IsLineBreak(data[at]) && data[at] != next) ++at;
  dangling = IsLineBreak(next) && at == data.size();
  return at;
}

// The start of the line after the comment line that `at` is in.
std::size_t SkipCommentLine(std::string_view data, std::size_t at) {
  while (at < data.size() && !IsLineBreak(data[at])) ++at;
  return SkipIniSpace(data, at);
}

// The logical line that starts at or after `pos`; an empty one (start == end) at the end.
ScannedLine ScanLine(std::string_view data, std::size_t pos) {
  ScannedLine line;
  line.start = SkipIniSpace(data, pos);
  std::size_t at = line.start;
  while (at < data.size()) {
    const char c = data[at++];
    switch (c) {
      case '=':
        if (!line.openQuote && line.equals == std::string_view::npos) line.equals = at - 1;
        break;
      case '\n':
      case '\r':
        if (line.openQuote) break;
        line.end = at - 1;
        return line;
      case '\\':
        at = SkipEscape(data, at, line.danglingEscape);
        break;
      case '"':
        line.openQuote = !line.openQuote;
        break;
      case ';':
        if (at == line.start + 1) {
          line.start = at = SkipCommentLine(data, at);
          break;
        }
        if (line.openQuote) break;
        line.end = at - 1;
        return line;
      default:
        break;
    }
  }
  line.end = at;
  return line;
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

  // The line `scanned` found in `data`, as a group header, a key line or neither.
  static Line Read(std::string_view data, const ScannedLine& scanned);
};

SettingsFile::Line SettingsFile::Line::Read(std::string_view data, const ScannedLine& scanned) {
  Line line{kBroken, scanned.start, scanned.end, 0, {}};
  const std::string_view text = data.substr(scanned.start, scanned.end - scanned.start);
  if (scanned.openQuote || scanned.danglingEscape) {
    // A quote left open, or an escape at the very end, would swallow whatever follows.
  } else if (text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close != std::string_view::npos) {
      line.kind = kGroup;
      line.name = UnescapeName(Trim(text.substr(1, close - 1)));
    }
  } else if (scanned.equals != std::string_view::npos) {
    line.kind = kKey;
    line.equals = scanned.equals;
    line.name = UnescapeName(Trim(data.substr(scanned.start, scanned.equals - scanned.start)));
  }
  return line;
}

SettingsFile::SettingsFile(std::string bytes) : m_bytes(std::move(bytes)) {}

std::vector<SettingsFile::Line> SettingsFile::Lines() const {
  std::vector<Line> lines;
  const std::string_view data = m_bytes;
  std::size_t pos = data.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  while (true) {
    const ScannedLine scanned = ScanLine(data, pos);
    if (scanned.end == scanned.start) return lines;
    lines.push_back(Line::Read(data, scanned));
    pos = scanned.end;
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
