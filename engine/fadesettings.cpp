#include "engine/fadesettings.h"

#include <charconv>

namespace tintrix {

namespace {

template <int I>
std::string* ColorField(FadeSettings& fade) {
  return &fade.Colors[I];
}

}  // namespace

const std::array<FadeField, 16> kFadeFields = {{
    {"Color1", "0", &ColorField<0>, nullptr},
    {"Color2", "16711680", &ColorField<1>, nullptr},
    {"Color3", "12615808", &ColorField<2>, nullptr},
    {"Color4", "16744703", &ColorField<3>, nullptr},
    {"Color5", "0", &ColorField<4>, nullptr},
    {"Color6", "0", &ColorField<5>, nullptr},
    {"Color7", "16711680", &ColorField<6>, nullptr},
    {"Color8", "12615808", &ColorField<7>, nullptr},
    {"Color9", "16744703", &ColorField<8>, nullptr},
    {"Color10", "0", &ColorField<9>, nullptr},
    {"WaVy", "0", nullptr, [](FadeSettings& f) { return &f.WaVy; }},
    {"Bold", "1", nullptr, [](FadeSettings& f) { return &f.Bold; }},
    {"Italic", "0", nullptr, [](FadeSettings& f) { return &f.Italic; }},
    {"Underlined", "0", nullptr, [](FadeSettings& f) { return &f.Underlined; }},
    {"Font", "Arial", [](FadeSettings& f) { return &f.Font; }, nullptr},
    {"NumberColors", "5", [](FadeSettings& f) { return &f.NumberColors; }, nullptr},
}};

std::string StoredText(const FadeSettings& fade, const FadeField& field) {
  // The table's accessors serve readers and writers alike; this one only reads.
  FadeSettings& fields = const_cast<FadeSettings&>(fade);
  return field.text != nullptr ? *field.text(fields) : std::to_string(*field.flag(fields));
}

FadeSettings DefaultFade() {
  FadeSettings fade;
  for (const FadeField& field : kFadeFields) {
    if (field.text != nullptr) {
      *field.text(fade) = field.defaultText;
    } else {
      const std::string_view text = field.defaultText;
      std::from_chars(text.data(), text.data() + text.size(), *field.flag(fade));
    }
  }
  return fade;
}

}  // namespace tintrix
