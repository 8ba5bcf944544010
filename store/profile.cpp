#include "store/profile.h"

#include <cstddef>
#include <string_view>
#include <vector>

#include "engine/text.h"
#include "platform/atomicfile.h"
#include "platform/regularfile.h"

namespace tintrix {

namespace {

constexpr std::size_t kMaxValueCharacters = 254;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// Windows-1252 for 0x80 to 0x9F; the five bytes it leaves undefined keep their own value, as
// the Windows conversion does. Every other byte is the Unicode character of the same number.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Files written by the Windows program are in its 8-bit code page, ours in UTF-8; text that
// is not valid UTF-8 must be the former.
std::string AsUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte, &out);
  }
  return out;
}

// `text` is valid UTF-8.
std::string CutToCharacters(std::string text, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // continuation byte
    if (seen == count) {
      text.resize(i);
      break;
    }
    ++seen;
  }
  return text;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names match alike whichever side they come from: the file's and the caller's are both read
// as UTF-8, or as the 8-bit code page where they are not UTF-8, so that a name written can
// always be found again.
bool NamesMatch(std::string_view found, std::string_view wanted) {
  const std::string a = AsUtf8(TrimBlanks(found));
  const std::string b = AsUtf8(TrimBlanks(wanted));
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

enum class LineKind { kOther, kBlank, kComment, kSection, kKey };

// One line of the file as offsets into its bytes: the text is [begin, textEnd), the line end
// (CR LF, LF, CR or nothing on the last line) is [textEnd, end).
struct Line {
  std::size_t begin = 0;
  std::size_t textEnd = 0;
  std::size_t end = 0;
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section or key name as it stands, blanks included
  std::size_t equals = 0;  // offset of the first '=' of a key line
};

std::size_t ContentStart(std::string_view bytes) {
  return bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t pos = ContentStart(bytes);
  while (pos < bytes.size()) {
    Line line;
    line.begin = pos;
    line.textEnd = pos;
    while (line.textEnd < bytes.size() && !IsLineBreak(bytes[line.textEnd])) ++line.textEnd;
    line.end = line.textEnd;
    if (line.end < bytes.size()) {
      const bool crlf =
          bytes[line.end] == '\r' && line.end + 1 < bytes.size() && bytes[line.end + 1] == '\n';
      line.end += crlf ? 2 : 1;
    }
    const std::string_view text = bytes.substr(line.begin, line.textEnd - line.begin);
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed.empty()) {
      line.kind = LineKind::kBlank;
    } else if (trimmed.front() == ';') {
      line.kind = LineKind::kComment;
    } else if (trimmed.front() == '[') {
      // A header without ']' names everything after the '['.
      line.kind = LineKind::kSection;
      const std::size_t close = trimmed.find(']');
      line.name = trimmed.substr(1, close == std::string_view::npos ? close : close - 1);
    } else if (const std::size_t equals = text.find('='); equals != std::string_view::npos) {
      line.kind = LineKind::kKey;
      line.name = text.substr(0, equals);
      line.equals = line.begin + equals;
    }
    lines.push_back(line);
    pos = line.end;
  }
  return lines;
}

// Where `key` of `section` is, or would go.
struct Location {
  std::optional<std::size_t> section;  // index of the section's header line
  std::optional<std::size_t> key;      // index of the key's line
  std::size_t lastKeyOrHeader = 0;     // index of the line a new key follows
};

Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Location location;
  std::size_t i = 0;
  while (i < lines.size() &&
         !(lines[i].kind == LineKind::kSection && NamesMatch(lines[i].name, section))) {
    ++i;
  }
  if (i == lines.size()) return location;
  location.section = i;
  location.lastKeyOrHeader = i;
  for (++i; i < lines.size() && lines[i].kind != LineKind::kSection; ++i) {
    if (lines[i].kind != LineKind::kKey) continue;
    location.lastKeyOrHeader = i;
    if (!location.key && NamesMatch(lines[i].name, key)) location.key = i;
  }
  return location;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(kNewLine) != std::string_view::npos;
}

// Names and values that would read back as a different structure: a line break starts a new
// line, '=' in a key or ']' in a section moves the boundary, a key starting with ';' or '['
// reads as a comment or a header, and a NUL cuts the line short.
bool IsSafeEntry(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view trimmedSection = TrimBlanks(section);
  const std::string_view trimmedKey = TrimBlanks(key);
  if (trimmedSection.empty() || trimmedKey.empty()) return false;
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  // A NUL ends the text for every reader that takes it from the file as a C string.
  for (std::string_view text : {section, key, value}) {
    if (text.find('\0') != std::string_view::npos) return false;
  }
  if (section.find(']') != std::string_view::npos) return false;
  if (key.find('=') != std::string_view::npos) return false;
  return trimmedKey.front() != ';' && trimmedKey.front() != '[';
}

std::string WithValue(std::string bytes, std::string_view section, std::string_view key,
                      std::string_view value) {
  const std::vector<Line> lines = SplitLines(bytes);
  const Location location = Locate(lines, section, key);
  std::string keyLine = std::string(key) + "=" + std::string(value) + std::string(kNewLine);

  if (location.key) {
    // The key keeps its spelling and anything before it; all after the '=' is the new value.
    const Line& line = lines[*location.key];
    bytes.replace(line.equals + 1, line.textEnd - line.equals - 1, value);
    return bytes;
  }
  if (location.section) {
    const Line& line = lines[location.lastKeyOrHeader];
    const bool endsLine = line.end > line.textEnd;
    bytes.insert(line.end, endsLine ? keyLine : std::string(kNewLine) + keyLine);
    return bytes;
  }
  const bool endsLine = bytes.size() == ContentStart(bytes) || IsLineBreak(bytes.back());
  if (!endsLine) bytes += kNewLine;
  bytes += "[";
  bytes += section;
  bytes += "]";
  bytes += kNewLine;
  bytes += keyLine;
  return bytes;
}

}  // namespace

ProfileDocument::ProfileDocument(std::string bytes) : m_bytes(std::move(bytes)) {}

std::optional<std::string> ProfileDocument::Find(std::string_view section,
                                                 std::string_view key) const {
  if (TrimBlanks(section).empty() || TrimBlanks(key).empty()) return std::nullopt;
  if (section.find('\0') != std::string_view::npos || key.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  const std::vector<Line> lines = SplitLines(m_bytes);
  const Location location = Locate(lines, section, key);
  if (!location.key) return std::nullopt;

  const Line& line = lines[*location.key];
  std::string_view value =
      TrimBlanks(std::string_view(m_bytes).substr(line.equals + 1, line.textEnd - line.equals - 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return CutToCharacters(AsUtf8(value), kMaxValueCharacters);
}

bool ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsSafeEntry(section, key, value)) return false;
  m_bytes = WithValue(std::move(m_bytes), section, key, value);
  return true;
}

StatusOr<ProfileDocument> ReadProfileFile(const std::string& file) {
  TINTRIX_ASSIGN_OR_RETURN(std::string bytes, ReadRegularFile(file, kMaxProfileFileBytes));
  return ProfileDocument(std::move(bytes));
}

Status UpdateProfileFile(const std::string& file,
                         const std::function<bool(ProfileDocument&)>& edit) {
  const FolderLock lock(file);
  StatusOr<ProfileDocument> read = ReadProfileFile(file);
  if (!read.ok() && read.status().code() != StatusCode::kNotFound) return read.status();
  ProfileDocument document = read.ok() ? std::move(read).value() : ProfileDocument();
  if (!edit(document)) return Status::Ok();
  return WriteFileAtomically(file, document.bytes());
}

std::string ReadProfileValue(const std::string& section, const std::string& key,
                             const std::string& file) {
  return FindProfileValue(section, key, file).value_or(std::string());
}

std::optional<std::string> FindProfileValue(const std::string& section, const std::string& key,
                                            const std::string& file) {
  const StatusOr<ProfileDocument> document = ReadProfileFile(file);
  if (!document.ok()) return std::nullopt;
  return document->Find(section, key);
}

int WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file) {
  if (file.empty()) return 0;
  bool written = false;
  const Status status = UpdateProfileFile(file, [&](ProfileDocument& document) {
    written = document.Set(section, key, value);
    return written;
  });
  return status.ok() && written ? 1 : 0;
}

}  // namespace tintrix
