#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The engine's one UTF-8 decoder.
namespace tintrix::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

struct CodePoint {
  char32_t code;        // U+FFFD for an ill-formed sequence
  std::uint8_t length;  // bytes taken, 1 ... 4
  bool valid;
};

// The code point at the start of `bytes`, which must not be empty. An ill-formed sequence
// (a stray continuation byte, an overlong form, a surrogate, a value past U+10FFFF, a cut
// sequence) gives U+FFFD and takes its maximal subpart, at least one byte: the practice of
// ICU and of the WHATWG encoding standard, so that "\xE2\x82" and "\xE2\x82A" replace the two
// bytes by one U+FFFD.
constexpr CodePoint Decode(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t length;
  char32_t code;
  // The range of the second byte, which rules out overlong forms, surrogates and values past
  // U+10FFFF; later bytes are any continuation byte.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kReplacement, 1, false};
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (k >= bytes.size()) return {kReplacement, static_cast<std::uint8_t>(k), false};
    const auto next = static_cast<unsigned char>(bytes[k]);
    if (next < low || next > high) return {kReplacement, static_cast<std::uint8_t>(k), false};
    low = 0x80, high = 0xBF;
    code = code << 6 | (next & 0x3F);
  }
  return {code, static_cast<std::uint8_t>(length), true};
}

static_assert(Decode("\xC3\xA9").code == 0xE9 && Decode("\xF0\x9F\x91\x8D").code == 0x1F44D);
static_assert(!Decode("\xC0\x80").valid && Decode("\xC0\x80").length == 1);
static_assert(!Decode("\xE2\x82"
                      "A")
                   .valid &&
              Decode("\xE2\x82"
                     "A")
                      .length == 2);
static_assert(!Decode("\xED\xA0\x80").valid && Decode("\xED\xA0\x80").length == 1);

// Unicode White_Space.
constexpr bool IsWhiteSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// True when every code point of `text` is White_Space, and there is one; ill-formed bytes
// are no blank.
inline constexpr bool IsBlank(std::string_view text) {
  if (text.size() == 1) {
    // TAB ... CR and the space, as the bits of a mask: most characters are one byte.
    const auto b = static_cast<unsigned char>(text[0]);
    return b <= ' ' && ((std::uint64_t{0x1'0000'3E00} >> b) & 1) != 0;
  }
  if (text.empty()) return false;
  for (std::size_t i = 0; i < text.size();) {
    const CodePoint c = Decode(text.substr(i));
    if (!c.valid || !IsWhiteSpace(c.code)) return false;
    i += c.length;
  }
  return true;
}

// A C0 control, DEL or a C1 control.
constexpr bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

}  // namespace tintrix::utf8
