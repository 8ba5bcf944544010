#include "output/fadedocument.h"

#include "output/graphemes.h"

namespace tintrix {

namespace {

// `fade` stays as it is while the markup is made.
Status AppendStableFadeMarkup(const FadeSettings& fade, const FadeHooks& hooks, std::string& out) {
  std::optional<ColorCount> count;
  if (Status status = ParseNumberColors(fade.NumberColors, count); !status.ok()) return status;
  if (!count) return Status::Ok();
  const CharacterText text = SplitCharacters(fade.TextToFade);
  return FadeRequest(*count, fade.Colors, text, fade.WaVy != 0, hooks, out);
}

}  // namespace

Status AppendFadeMarkup(FadeSettings fade, const FadeHooks& hooks, std::string& out) {
  return AppendStableFadeMarkup(fade, hooks, out);
}

Status BuildFadeDocument(FadeSettings fade, const FadeHooks& hooks, std::string& document) {
  std::string s = "<font face=\"" + fade.Font + "\">";
  if (fade.Underlined == 1) s += "<u>";
  if (fade.Italic == 1) s += "<i>";
  if (fade.Bold == 1) s += "<b>";
  Status status = AppendStableFadeMarkup(fade, hooks, s);
  if (!status.ok()) return status;
  if (fade.Bold == 1) s += "</b>";
  if (fade.Italic == 1) s += "</i>";
  if (fade.Underlined == 1) s += "</u>";
  s += "</font>";
  document = std::move(s);
  return Status::Ok();
}

}  // namespace tintrix
