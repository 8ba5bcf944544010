#include "output/fadedocument.h"

#include "output/graphemes.h"

namespace tintrix {

namespace {

// The font name as the format's font tag holds it.
std::string QuotedFont(const FormatTraits& format, MarkupFormat kind, std::string_view font) {
  if (format.font != FontQuoting::kCssInHtml) return std::string(font);
  std::string css;
  for (char c : font) {
    if (c == '\\' || c == '\'') css += '\\';
    css += c;
  }
  return EscapeForFormat(kind, css);
}

}  // namespace

Status FadeDocument::Create(const FadeSettings& fade, bool markupOnly,
                            std::optional<FadeDocument>& document, const MarkupOptions& options) {
  const bool styles[kStyleCount] = {fade.underlined == 1, fade.italic == 1, fade.bold == 1};
  MarkupOptions written = options;
  written.underline = !markupOnly && styles[0];
  written.italic = !markupOnly && styles[1];
  written.bold = !markupOnly && styles[2];
  std::optional<ColorCount> count;
  if (Status status = ParseNumberColors(fade.colorCount, count); !status.ok()) return status;
  std::optional<FadeGenerator> generator;
  if (count) {
    if (Status status =
            FadeGenerator::Create(*count, fade.colors, fade.wavy != 0, generator, written);
        !status.ok()) {
      return status;
    }
  }
  const FormatTraits& format = TraitsOf(options.format);
  std::string open(format.documentOpen);
  std::string close;
  if (!markupOnly) {
    const bool font =
        format.font != FontQuoting::kNone && (format.fontWhenEmpty || !fade.font.empty());
    if (font) {
      open += format.fontOpen;
      open += QuotedFont(format, options.format, fade.font);
      open += format.fontOpenEnd;
    }
    // Outermost underline, innermost bold.
    for (std::size_t s = 0; s < kStyleCount; ++s) {
      if (styles[s]) open += format.styleOpen[s];
      if (styles[kStyleCount - 1 - s]) close += format.styleClose[kStyleCount - 1 - s];
    }
    if (font) close += format.fontClose;
  }
  close += format.documentClose;
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
  return document->Append(fade.text, hooks, out);
}

Status BuildFadeDocument(FadeSettings fade, const FadeHooks& hooks, std::string& document) {
  std::optional<FadeDocument> made;
  if (Status status = FadeDocument::Create(fade, false, made); !status.ok()) return status;
  std::string s;
  if (Status status = made->Append(fade.text, hooks, s); !status.ok()) return status;
  document = std::move(s);
  return Status::Ok();
}

}  // namespace tintrix
