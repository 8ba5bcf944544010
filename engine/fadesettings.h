#pragma once

#include <array>
#include <cstddef>
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
// when nothing is stored, and which field of FadeSettings it is. Text fields (the colours,
// the font, the colour count) move as text; flags are whole numbers stored as decimal text.
struct FadeField {
  enum class Kind { kText, kFlag };

  const char* key;
  const char* defaultText;
  Kind kind;
  // kText: 0 ... 9 for Color1 ... Color10, 10 for Font, 11 for NumberColors.
  // kFlag: 0 ... 3 for WaVy, Bold, Italic, Underlined.
  std::size_t index;
};

// The sixteen stored fields, in the order in which they are loaded, saved and written to fade
// files. The text to fade is never stored.
extern const std::array<FadeField, 16> kFadeFields;

// The field of `fade` that `field` names; `field` must be of the matching kind.
std::string& TextField(FadeSettings& fade, const FadeField& field);
const std::string& TextField(const FadeSettings& fade, const FadeField& field);
int& FlagField(FadeSettings& fade, const FadeField& field);
int FlagField(const FadeSettings& fade, const FadeField& field);

// A stored field's text: the field's own text, or a flag as decimal text ("0", "1", "2").
std::string StoredText(const FadeSettings& fade, const FadeField& field);

// The fade of a first run: five colours black, blue, 8080C0, FF80FF, black (colours 6 to 10
// repeat them), bold, font "Arial", no text.
FadeSettings DefaultFade();

}  // namespace tintrix
