#include "engine/fadesettings.h"

#include "engine/text.h"

namespace tintrix {

namespace {

using Kind = FadeField::Kind;

template <typename Fade>
auto& TextFieldOf(Fade& fade, const FadeField& field) {
  if (field.index < fade.Colors.size()) return fade.Colors[field.index];
  return field.index == fade.Colors.size() ? fade.Font : fade.NumberColors;
}

template <typename Fade>
auto& FlagFieldOf(Fade& fade, const FadeField& field) {
  switch (field.index) {
    case 0:
      return fade.WaVy;
    case 1:
      return fade.Bold;
    case 2:
      return fade.Italic;
    default:
      return fade.Underlined;
  }
}

}  // namespace

const std::array<FadeField, 16> kFadeFields = {{
    {"Color1", "0", Kind::kText, 0},
    {"Color2", "16711680", Kind::kText, 1},
    {"Color3", "12615808", Kind::kText, 2},
    {"Color4", "16744703", Kind::kText, 3},
    {"Color5", "0", Kind::kText, 4},
    {"Color6", "0", Kind::kText, 5},
    {"Color7", "16711680", Kind::kText, 6},
    {"Color8", "12615808", Kind::kText, 7},
    {"Color9", "16744703", Kind::kText, 8},
    {"Color10", "0", Kind::kText, 9},
    {"WaVy", "0", Kind::kFlag, 0},
    {"Bold", "1", Kind::kFlag, 1},
    {"Italic", "0", Kind::kFlag, 2},
    {"Underlined", "0", Kind::kFlag, 3},
    {"Font", "Arial", Kind::kText, 10},
    {"NumberColors", "5", Kind::kText, 11},
}};

std::string& TextField(FadeSettings& fade, const FadeField& field) {
  return TextFieldOf(fade, field);
}

const std::string& TextField(const FadeSettings& fade, const FadeField& field) {
  return TextFieldOf(fade, field);
}

int& FlagField(FadeSettings& fade, const FadeField& field) { return FlagFieldOf(fade, field); }

int FlagField(const FadeSettings& fade, const FadeField& field) { return FlagFieldOf(fade, field); }

std::string StoredText(const FadeSettings& fade, const FadeField& field) {
  return field.kind == Kind::kText ? TextField(fade, field)
                                   : std::to_string(FlagField(fade, field));
}

FadeSettings DefaultFade() {
  FadeSettings fade;
  for (const FadeField& field : kFadeFields) {
    if (field.kind == Kind::kText) {
      TextField(fade, field) = field.defaultText;
    } else {
      FlagField(fade, field) = ParseWhole<int>(field.defaultText).value_or(0);
    }
  }
  return fade;
}

}  // namespace tintrix
