#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/markupformat.h"
#include "engine/status.h"

namespace tintrix {

// Where a colour starts in the text read from a document.
struct ColorMark {
  std::size_t at = 0;     // the byte of MarkupReading::text where the colour starts
  std::uint32_t rgb = 0;  // 0xRRGGBB
  bool colored = false;   // false: the text from here on has no colour (a run's end, a reset)
};

// What a document of some format says: its text with the format's escapes undone, where each
// colour tag starts in it, and the styles, font and wave around it. The characters themselves
// (user-perceived characters) are left to the caller to cut.
struct MarkupReading {
  MarkupFormat format = MarkupFormat::kClassic;
  std::string text;
  std::vector<ColorMark> marks;  // in the order of the document; a later one at the same place wins
  std::size_t colorTags = 0;     // the marks that are colours
  // Underline, italic, bold, as kStyleCount indexes them.
  std::array<bool, kStyleCount> styles{};
  bool hasFont = false;  // the document has a font tag, holding `font`
  std::string font;
  bool wavy = false;  // some character is raised or lowered
};

// Reads `document` as a document of `format`. Undoes the format's escapes (html entities,
// minimessage's backslashes, json's string escapes); ansi's control pictures and the text of
// formats without escapes stay as the document shows them. Tolerant where another program's
// document differs in small ways (ansi's other SGR codes, json's other keys, html's numeric
// entities). Fails with kInvalidArgument, `no colour tag in FORMAT` or, for json, `not a json
// text component list`, when the document holds no colour tag of the format.
StatusOr<MarkupReading> ReadMarkup(std::string_view document, MarkupFormat format);

// Reads `document` in whichever format finds the most colour tags in it (the earlier in
// kFormats on a tie). Fails with kInvalidArgument, `no colour tag in any format`, when no
// format finds one.
StatusOr<MarkupReading> ReadAnyMarkup(std::string_view document);

}  // namespace tintrix
