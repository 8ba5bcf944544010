#include "output/fadedocument.h"

#include "output/graphemes.h"

namespace tintrix {

Status FadeDocument::Create(const FadeSettings& fade, bool markupOnly,
                            std::optional<FadeDocument>& document) {
  std::optional<ColorCount> count;
  if (Status status = ParseNumberColors(fade.NumberColors, count); !status.ok()) return status;
  std::optional<FadeGenerator> generator;
  if (count) {
    if (Status status = FadeGenerator::Create(*count, fade.Colors, fade.WaVy != 0, generator);
        !status.ok()) {
      return status;
    }
  }
  std::string open;
  std::string close;
  if (!markupOnly) {
    open = "<font face=\"" + fade.Font + "\">";
    if (fade.Underlined == 1) open += "<u>";
    if (fade.Italic == 1) open += "<i>";
    if (fade.Bold == 1) open += "<b>";
    if (fade.Bold == 1) close += "</b>";
    if (fade.Italic == 1) close += "</i>";
    if (fade.Underlined == 1) close += "</u>";
    close += "</font>";
  }
  document = FadeDocument(std::move(generator), std::move(open), std::move(close));
  return Status::Ok();
}

Status FadeDocument::Append(std::string_view text, const FadeHooks& hooks, std::string& out) const {
  out += m_open;
  if (m_generator) {
    if (Status status = m_generator->Append(SplitCharacters(text), hooks, out); !status.ok()) {
      return status;
    }
  }
  out += m_close;
  return Status::Ok();
}

Status AppendFadeMarkup(FadeSettings fade, const FadeHooks& hooks, std::string& out) {
  std::optional<FadeDocument> document;
  if (Status status = FadeDocument::Create(fade, true, document); !status.ok()) return status;
  return document->Append(fade.TextToFade, hooks, out);
}

Status BuildFadeDocument(FadeSettings fade, const FadeHooks& hooks, std::string& document) {
  std::optional<FadeDocument> made;
  if (Status status = FadeDocument::Create(fade, false, made); !status.ok()) return status;
  std::string s;
  if (Status status = made->Append(fade.TextToFade, hooks, s); !status.ok()) return status;
  document = std::move(s);
  return Status::Ok();
}

}  // namespace tintrix
