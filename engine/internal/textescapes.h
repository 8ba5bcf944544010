#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "engine/internal/hexdigits.h"
#include "engine/internal/utf8.h"
#include "engine/markupformat.h"

// The escapes of the formats' texts, one for each TextEscape: which bytes start something an
// escape changes, found many bytes at a time, and what each escape writes instead.
namespace tintrix::markup {

// A set of byte values, tested with one load.
class ByteSet {
 public:
  constexpr explicit ByteSet(std::string_view bytes = {}) {
    for (char c : bytes) Add(static_cast<unsigned char>(c));
  }
  constexpr void Add(unsigned char b) { m_has[b] = true; }
  constexpr bool Has(unsigned char b) const { return m_has[b]; }
  constexpr bool Empty() const {
    for (bool has : m_has) {
      if (has) return false;
    }
    return true;
  }

 private:
  std::array<bool, 256> m_has{};
};

// True for a byte with which something the escape changes starts. Comparisons, so that a
// scan of many bytes is made many at a time.
template <TextEscape kEscape>
constexpr bool IsEscapeStart(unsigned char b) {
  if constexpr (kEscape == TextEscape::kHtmlEntities) {
    return (b == '&') | (b == '<') | (b == '>') | (b == '"');
  } else if constexpr (kEscape == TextEscape::kBackslash) {
    return (b == '\\') | (b == '<');
  } else if constexpr (kEscape == TextEscape::kControlPictures) {
    // 0xC2 leads the C1 controls.
    return ((b < 0x20) & (b != '\t')) | (b == 0x7F) | (b == 0xC2);
  } else if constexpr (kEscape == TextEscape::kJson) {
    // Every byte past ASCII too: a JSON text must be UTF-8 throughout.
    return (b == '"') | (b == '\\') | (b < 0x20) | (b >= 0x7F);
  } else {
    return false;
  }
}

// The same as a table, for the test of one byte: one load.
template <TextEscape kEscape>
inline constexpr ByteSet kEscapeStarts = [] {
  ByteSet set;
  for (unsigned b = 0; b < 256; ++b) {
    if (IsEscapeStart<kEscape>(static_cast<unsigned char>(b)))
      set.Add(static_cast<unsigned char>(b));
  }
  return set;
}();

// True when some of the `size` bytes at `text` start something the escape changes: the
// writers look at each byte only where this is so, which it seldom is.
template <TextEscape kEscape>
bool AnyEscapeStart(const char* text, std::size_t size) {
  if constexpr (kEscape == TextEscape::kNone) return false;
  // A byte, not a bool, so that the compiler makes the loop 16 bytes at a time.
  unsigned char any = 0;
  for (std::size_t i = 0; i < size; ++i) {
    any |= static_cast<unsigned char>(IsEscapeStart<kEscape>(static_cast<unsigned char>(text[i])));
  }
  return any != 0;
}

// How much an escape can grow a byte: `"` becomes `&quot;`.
inline constexpr std::size_t kMaxEscapeGrowth = 6;

template <std::size_t N>
inline char* Put(char* p, const char (&literal)[N]) {
  std::memcpy(p, literal, N - 1);
  return p + N - 1;
}

inline char* Put(char* p, std::string_view text) {
  std::memcpy(p, text.data(), text.size());
  return p + text.size();
}

// \u00XX for a control character of JSON's.
inline char* PutJsonControl(char* p, std::uint32_t code) {
  p = Put(p, "\\u00");
  *p++ = hex::Digit(code >> 4);
  *p++ = hex::Digit(code);
  return p;
}

// The code point as UTF-8, for the three-byte ones the escapes write.
inline char* PutThreeBytes(char* p, char32_t code) {
  *p++ = static_cast<char>(0xE0 | (code >> 12));
  *p++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  *p++ = static_cast<char>(0x80 | (code & 0x3F));
  return p;
}

// What an escape wrote for the bytes at the start of a text, and how many of them it took.
struct Escaped {
  char* end;
  std::size_t taken;
};

// The escape of the character that starts `rest`, whose first byte is an escape start.
inline Escaped EscapeHtml(char* p, std::string_view rest) {
  switch (rest[0]) {
    case '&':
      return {Put(p, "&amp;"), 1};
    case '<':
      return {Put(p, "&lt;"), 1};
    case '>':
      return {Put(p, "&gt;"), 1};
    default:
      return {Put(p, "&quot;"), 1};
  }
}

inline Escaped EscapeBackslash(char* p, std::string_view rest) {
  *p++ = '\\';
  *p++ = rest[0];
  return {p, 1};
}

inline Escaped EscapeJson(char* p, std::string_view rest) {
  const auto b = static_cast<unsigned char>(rest[0]);
  if (b == '"' || b == '\\') return EscapeBackslash(p, rest);
  const utf8::CodePoint code = utf8::Decode(rest);
  if (!code.valid) return {PutThreeBytes(p, utf8::kReplacement), code.length};
  if (utf8::IsControl(code.code)) return {PutJsonControl(p, code.code), code.length};
  std::memcpy(p, rest.data(), code.length);
  return {p + code.length, code.length};
}

inline Escaped EscapeControl(char* p, std::string_view rest) {
  const auto b = static_cast<unsigned char>(rest[0]);
  if (b != 0xC2) return {PutThreeBytes(p, b == 0x7F ? char32_t{0x2421} : char32_t{0x2400} + b), 1};
  // A C1 control, or another character that starts with the same byte.
  const utf8::CodePoint code = utf8::Decode(rest);
  if (code.valid && utf8::IsControl(code.code)) return {PutThreeBytes(p, utf8::kReplacement), 2};
  *p = rest[0];
  return {p + 1, 1};
}

// The `size` bytes at c with the escape: at most kMaxEscapeGrowth bytes for each.
template <TextEscape kEscape>
char* PutEscaped(char* p, const char* c, std::size_t size) {
  constexpr const ByteSet& kStarts = kEscapeStarts<kEscape>;
  for (std::size_t i = 0; i < size;) {
    if (!kStarts.Has(static_cast<unsigned char>(c[i]))) {
      *p++ = c[i++];
      continue;
    }
    const std::string_view rest(c + i, size - i);
    Escaped escaped{p, 1};
    if constexpr (kEscape == TextEscape::kHtmlEntities) escaped = EscapeHtml(p, rest);
    if constexpr (kEscape == TextEscape::kBackslash) escaped = EscapeBackslash(p, rest);
    if constexpr (kEscape == TextEscape::kJson) escaped = EscapeJson(p, rest);
    if constexpr (kEscape == TextEscape::kControlPictures) escaped = EscapeControl(p, rest);
    p = escaped.end;
    i += escaped.taken;
  }
  return p;
}

}  // namespace tintrix::markup
