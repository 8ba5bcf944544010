#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/markupreading.h"

// The readers of each kind of document (engine/taggedreading.cpp, ansireading.cpp,
// jsonreading.cpp), which ReadMarkup chooses from, and what they share: the taking of tokens
// and hexadecimal colours, and the noting of where a colour starts in the text.
namespace tintrix::reading {

// Moves `rest` past `token` when it starts with it (never for an empty token).
inline bool Take(std::string_view& rest, std::string_view token) {
  if (token.empty() || !rest.starts_with(token)) return false;
  rest.remove_prefix(token.size());
  return true;
}

inline int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Six hexadecimal digits, each after `mark` when there is one: 0xRRGGBB.
inline std::optional<std::uint32_t> TakeHexDigits(std::string_view& rest, std::string_view mark) {
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

inline void AddColor(MarkupReading& reading, std::uint32_t rgb) {
  reading.marks.push_back({reading.text.size(), rgb, true});
  ++reading.colorTags;
}

inline void AddNoColor(MarkupReading& reading) {
  reading.marks.push_back({reading.text.size(), 0, false});
}

// A document of a format of tags around the text (every format but ansi and json).
MarkupReading ReadTagged(std::string_view document, MarkupFormat kind);

// A document of ansi: Select Graphic Rendition sequences of any program.
MarkupReading ReadAnsi(std::string_view document);

// The components of a json document into `reading`; false when the text is no array of text
// components.
bool ReadJson(std::string_view document, MarkupReading& reading);

}  // namespace tintrix::reading
