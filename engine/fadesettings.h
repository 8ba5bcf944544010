#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "engine/colorcount.h"

namespace tintrix {

// The current fade. Colours, font and colour count are text, exactly as the user's fields,
// the settings store and fade files hold them; they are converted only when a fade is made.
// The four style flags are check states: 0 off, 1 on, 2 greyed (only a fade file sets 2).
struct FadeSettings {
  std::string text;  // the text to fade; never stored
  // Colour values as decimal text. Only colours 1 to 10 are stored and shown in the window;
  // the companion sets the others for its longer fades.
  std::array<std::string, kMaxFadeColors> colors;
  std::string colorCount;  // the number of colours the fade runs through
  int wavy = 0;
  int bold = 0;
  int italic = 0;
  int underlined = 0;
  std::string font;

  bool operator==(const FadeSettings&) const = default;
};

// One stored field of a fade: its key in the settings store and in fade files, its default
// when nothing is stored, and the member of FadeSettings it is. Text fields (the colours, the
// font, the colour count) move as text; flags are whole numbers stored as decimal text.
struct FadeField {
  const char* key;
  const char* defaultText;
  // Exactly one of them names the member: a text, a colour of `colors`, or a flag.
  std::string FadeSettings::*text = nullptr;
  std::optional<std::size_t> color = std::nullopt;
  int FadeSettings::*flag = nullptr;

  bool IsFlag() const { return flag != nullptr; }
};

// The sixteen stored fields, in the order in which they are loaded, saved and written to fade
// files. The text to fade is never stored.
extern const std::array<FadeField, 16> kFadeFields;

// The text member of `fade` that `field` names; `field` must not be a flag.
std::string& TextField(FadeSettings& fade, const FadeField& field);
const std::string& TextField(const FadeSettings& fade, const FadeField& field);

// A stored field's text: the field's own text, or a flag as decimal text ("0", "1", "2").
std::string StoredText(const FadeSettings& fade, const FadeField& field);

// True when the two fades store the same sixteen fields (their texts and colours past the tenth
// play no part).
bool SameStoredFields(const FadeSettings& a, const FadeSettings& b);

// The fade of a first run: five colours black, blue, 8080C0, FF80FF, black (colours 6 to 10
// repeat them), bold, font "Arial", no text.
FadeSettings DefaultFade();

}  // namespace tintrix
