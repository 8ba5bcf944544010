#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tintrix {

// Blanks are spaces and tabs: what the program's number and name fields may have around them.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Appends the UTF-8 form of `code`, which must be a Unicode scalar value.
void AppendUtf8(char32_t code, std::string* out);

// `text` without the blanks at its start and end.
std::string_view TrimBlanks(std::string_view text);

// A whole number in `base`, the whole text and nothing else: no blanks, no '+', a '-' only for
// signed types. nullopt when the text is empty, holds anything else, or is out of T's range.
template <typename T>
std::optional<T> ParseWhole(std::string_view text, int base = 10) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// A decimal number as the program's text fields hold one: blanks around it, an optional sign,
// digits with at most one decimal point and at least one digit (" 5 ", "05", "+5.0", ".5").
// nullopt for anything else, exponents included.
std::optional<double> ParseDecimal(std::string_view text);

// Rounds to the nearest whole number, a half going to the even neighbour. For |v| < 2^22
// (float) and |v| < 2^51 (double), which covers every channel value.
inline float RoundHalfEven(float v) { return (v + 12582912.0f) - 12582912.0f; }
inline double RoundHalfEven(double v) { return (v + 6755399441055744.0) - 6755399441055744.0; }

// True when `text` holds a control character (C0, DEL, or C1 written in UTF-8), which would
// break a one-line message or reach a terminal as a command.
bool HasControlCharacters(std::string_view text);

// `text` with every control character written as an escape: \n, \r, \t, or \xHH (\u0085 and
// the like for the C1 controls). A backslash stays as it is.
std::string EscapeControlCharacters(std::string_view text);

// A name (a path, an option's value) as a one-line message shows it: unchanged when it holds
// no control character, otherwise quoted as a POSIX shell would read it back, with the control
// characters in $'...' (a\nb becomes 'a'$'\n''b').
std::string QuoteName(std::string_view name);

}  // namespace tintrix
