#include "engine/text.h"

#include "engine/internal/hexdigits.h"
#include "engine/internal/utf8.h"

namespace tintrix {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the control character at text[i], or 0 when there is none: one byte for C0
// and DEL, two for a C1 control written in UTF-8.
std::size_t ControlLength(std::string_view text, std::size_t i) {
  const utf8::CodePoint c = utf8::Decode(text.substr(i));
  return c.valid && utf8::IsControl(c.code) ? c.length : 0;
}

void AppendHex(unsigned value, std::string& out) {
  out += hex::Digit<true>(value >> 4);
  out += hex::Digit<true>(value);
}

// One control character as an escape.
void AppendEscape(std::string_view text, std::size_t i, std::size_t length, std::string& out) {
  if (length == 2) {
    out += "\\u00";
    AppendHex(static_cast<unsigned char>(text[i + 1]), out);
    return;
  }
  switch (text[i]) {
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      out += "\\x";
      AppendHex(static_cast<unsigned char>(text[i]), out);
  }
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const utf8::CodePoint c = utf8::Decode(text.substr(i));
    if (!c.valid) return false;
    i += c.length;
  }
  return true;
}

void AppendUtf8(char32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<double> ParseDecimal(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::size_t digits = 0;
  std::size_t points = 0;
  for (char c : text) {
    if (IsDigit(c)) {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || points > 1) return std::nullopt;
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return negative ? -value : value;
}

bool HasControlCharacters(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (ControlLength(text, i) != 0) return true;
  }
  return false;
}

std::string EscapeControlCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (const std::size_t length = ControlLength(text, i)) {
      AppendEscape(text, i, length, out);
      i += length;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string QuoteName(std::string_view name) {
  if (!HasControlCharacters(name)) return std::string(name);
  // Plain runs go in single quotes (a quote itself as '\''), control characters in $'...'.
  std::string out;
  bool inPlain = false;
  for (std::size_t i = 0; i < name.size();) {
    if (const std::size_t length = ControlLength(name, i)) {
      if (inPlain) out += '\'';
      inPlain = false;
      out += "$'";
      AppendEscape(name, i, length, out);
      out += '\'';
      i += length;
      continue;
    }
    if (!inPlain) out += '\'';
    inPlain = true;
    if (name[i] == '\'') {
      out += "'\\''";
    } else {
      out += name[i];
    }
    ++i;
  }
  if (inPlain) out += '\'';
  return out;
}

}  // namespace tintrix
