#include "engine/fadesettings.h"

#include "engine/text.h"

namespace tintrix {

namespace {

FadeField Text(const char* key, const char* defaultText, std::string FadeSettings::*member) {
  return {key, defaultText, member, std::nullopt, nullptr};
}
FadeField Color(const char* key, const char* defaultText, std::size_t index) {
  return {key, defaultText, nullptr, index, nullptr};
}
FadeField Flag(const char* key, const char* defaultText, int FadeSettings::*member) {
  return {key, defaultText, nullptr, std::nullopt, member};
}

}  // namespace

const std::array<FadeField, 16> kFadeFields = {
    Color("Color1", "0", 0),
    Color("Color2", "16711680", 1),
    Color("Color3", "12615808", 2),
    Color("Color4", "16744703", 3),
    Color("Color5", "0", 4),
    Color("Color6", "0", 5),
    Color("Color7", "16711680", 6),
    Color("Color8", "12615808", 7),
    Color("Color9", "16744703", 8),
    Color("Color10", "0", 9),
    Flag("WaVy", "0", &FadeSettings::wavy),
    Flag("Bold", "1", &FadeSettings::bold),
    Flag("Italic", "0", &FadeSettings::italic),
    Flag("Underlined", "0", &FadeSettings::underlined),
    Text("Font", "Arial", &FadeSettings::font),
    Text("NumberColors", "5", &FadeSettings::colorCount),
};

std::string& TextField(FadeSettings& fade, const FadeField& field) {
  return field.color ? fade.colors[*field.color] : fade.*field.text;
}

const std::string& TextField(const FadeSettings& fade, const FadeField& field) {
  return field.color ? fade.colors[*field.color] : fade.*field.text;
}

std::string StoredText(const FadeSettings& fade, const FadeField& field) {
  return field.IsFlag() ? std::to_string(fade.*field.flag) : TextField(fade, field);
}

FadeSettings DefaultFade() {
  FadeSettings fade;
  for (const FadeField& field : kFadeFields) {
    if (field.IsFlag()) {
      fade.*field.flag = ParseWhole<int>(field.defaultText).value_or(0);
    } else {
      TextField(fade, field) = field.defaultText;
    }
  }
  return fade;
}

bool SameStoredFields(const FadeSettings& a, const FadeSettings& b) {
  for (const FadeField& field : kFadeFields) {
    if (StoredText(a, field) != StoredText(b, field)) return false;
  }
  return true;
}

}  // namespace tintrix
