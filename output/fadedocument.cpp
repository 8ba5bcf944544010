#include "output/fadedocument.h"

#include "output/graphemes.h"

namespace tintrix {

namespace {

std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// A font name inside a quoted CSS string inside an HTML attribute.
std::string HtmlFontFamily(std::string_view font) {
  std::string css;
  for (char c : font) {
    if (c == '\\' || c == '\'') css += '\\';
    css += c;
  }
  return EscapeHtml(css);
}

struct StyleTags {
  const char* underline;
  const char* italic;
  const char* bold;
  const char* underlineEnd;
  const char* italicEnd;
  const char* boldEnd;
};

// The style tags that are on, outermost underline, innermost bold.
void AddStyles(const FadeSettings& fade, const StyleTags& tags, std::string& open,
               std::string& close) {
  if (fade.Underlined == 1) open += tags.underline;
  if (fade.Italic == 1) open += tags.italic;
  if (fade.Bold == 1) open += tags.bold;
  if (fade.Bold == 1) close += tags.boldEnd;
  if (fade.Italic == 1) close += tags.italicEnd;
  if (fade.Underlined == 1) close += tags.underlineEnd;
}

constexpr StyleTags kAngleStyles = {"<u>", "<i>", "<b>", "</u>", "</i>", "</b>"};

}  // namespace

Status FadeDocument::Create(const FadeSettings& fade, bool markupOnly,
                            std::optional<FadeDocument>& document, const MarkupOptions& options) {
  MarkupOptions written = options;
  written.underline = !markupOnly && fade.Underlined == 1;
  written.italic = !markupOnly && fade.Italic == 1;
  written.bold = !markupOnly && fade.Bold == 1;
  std::optional<ColorCount> count;
  if (Status status = ParseNumberColors(fade.NumberColors, count); !status.ok()) return status;
  std::optional<FadeGenerator> generator;
  if (count) {
    if (Status status =
            FadeGenerator::Create(*count, fade.Colors, fade.WaVy != 0, generator, written);
        !status.ok()) {
      return status;
    }
  }
  std::string open;
  std::string close;
  switch (options.format) {
    case MarkupFormat::kClassic:
      if (markupOnly) break;
      open = "<font face=\"" + fade.Font + "\">";
      AddStyles(fade, kAngleStyles, open, close);
      close += "</font>";
      break;
    case MarkupFormat::kHtml:
      if (markupOnly) break;
      if (!fade.Font.empty())
        open = "<span style=\"font-family:'" + HtmlFontFamily(fade.Font) + "'\">";
      AddStyles(fade, kAngleStyles, open, close);
      if (!fade.Font.empty()) close += "</span>";
      break;
    case MarkupFormat::kBbcode:
      if (markupOnly) break;
      if (!fade.Font.empty()) open = "[font=" + fade.Font + "]";
      AddStyles(fade, {"[u]", "[i]", "[b]", "[/u]", "[/i]", "[/b]"}, open, close);
      if (!fade.Font.empty()) close += "[/font]";
      break;
    case MarkupFormat::kAnsi:
      if (!markupOnly) AddStyles(fade, {"\x1b[4m", "\x1b[3m", "\x1b[1m", "", "", ""}, open, close);
      close = "\x1b[0m";
      break;
    case MarkupFormat::kMinecraft:
      break;
    case MarkupFormat::kMinimessage:
      if (!markupOnly) AddStyles(fade, kAngleStyles, open, close);
      break;
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
