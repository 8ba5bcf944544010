#pragma once

#include <array>
#include <string>

namespace tintrix {

// The current fade. Colours, font and colour count are text, exactly as the user's fields,
// the settings store and fade files hold them; they are converted only when a fade is made.
// The four style flags are check states: 0 off, 1 on, 2 greyed (only a fade file sets 2).
struct FadeSettings {
  std::string TextToFade;
  std::array<std::string, 10> Colors;  // Color1 ... Color10
  std::string NumberColors;
  int WaVy = 0;
  int Bold = 0;
  int Italic = 0;
  int Underlined = 0;
  std::string Font;

  bool operator==(const FadeSettings&) const = default;
};

// One stored field of a fade: its key in the settings store and in fade files, its default
// when nothing is stored, and where it lives in FadeSettings. Exactly one of `text` and
// `flag` is set; it returns the field inside the given fade.
struct FadeField {
  const char* key;
  const char* defaultText;
  std::string* (*text)(FadeSettings&);
  int* (*flag)(FadeSettings&);
};

// The sixteen stored fields, in the order in which they are loaded, saved and written to fade
// files. The text to fade is never stored.
extern const std::array<FadeField, 16> kFadeFields;

// A stored field's text: the field's own text, or a flag as decimal text ("0", "1", "2").
std::string StoredText(const FadeSettings& fade, const FadeField& field);

// The fade of a first run: five colours black, blue, 8080C0, FF80FF, black (colours 6 to 10
// repeat them), bold, font "Arial", no text.
FadeSettings DefaultFade();

}  // namespace tintrix
