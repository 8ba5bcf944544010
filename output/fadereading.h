#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/markupformat.h"
#include "engine/status.h"

namespace tintrix {

// A fade read back from its document: the text, each character's colour, and what else the
// document shows of how it was made.
struct FadeReading {
  MarkupFormat format = MarkupFormat::kClassic;
  std::string text;                 // as the document shows it, its escapes undone
  std::vector<std::uint32_t> rgb;   // each character's colour, 0xRRGGBB (0 where not known)
  std::vector<std::uint8_t> known;  // 1 where the character lies in a colour tag
  bool merged = false;  // some colour tag holds more than one character (formats that tag each)
  std::array<bool, kStyleCount> styles{};  // underline, italic, bold
  bool hasFont = false;                    // the document has a font tag, holding `font`
  std::string font;
  bool wavy = false;
};

// Reads one document: in `format` when given (ReadMarkup), else in the format that finds the
// most colour tags (ReadAnyMarkup), and cuts its text into user-perceived characters
// (SplitCharacters) as the writers cut theirs. A character takes the colour of the tag its
// first byte follows. Fails as the reading does (kInvalidArgument, a reason in lower case
// that a message can follow a line number with).
StatusOr<FadeReading> ReadFade(std::string_view document, std::optional<MarkupFormat> format);

}  // namespace tintrix
