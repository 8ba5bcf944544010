#include "output/fadedocument.h"

#include <algorithm>
#include <iterator>

#include "engine/text.h"
#include "output/graphemes.h"

namespace tintrix {

namespace {

// The font name as the format's font tag holds it, or nullopt when the format cannot hold it
// as one name.
std::optional<std::string> QuotedFont(FontQuoting quoting, std::string_view font) {
  switch (quoting) {
    case FontQuoting::kNone:
      return std::nullopt;
    case FontQuoting::kHtmlAttribute:
      return EscapeForFormat(MarkupFormat::kHtml, font);
    case FontQuoting::kCssInHtml: {
      std::string css;
      for (char c : font) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
          // A raw line break would end the CSS string and let the rest be read as declarations.
          static constexpr char kHex[] = "0123456789abcdef";
          css += '\\';
          if (byte >= 0x10) css += kHex[byte >> 4];
          css += kHex[byte & 0xf];
          css += ' ';
          continue;
        }
        if (c == '\\' || c == '\'') css += '\\';
        css += c;
      }
      return EscapeForFormat(MarkupFormat::kHtml, css);
    }
    case FontQuoting::kBbcodeValue: {
      // Brackets could end the tag or open another; a renderer may end a tag at a line break.
      constexpr std::string_view kBreaks[] = {"\u0085", "\u2028", "\u2029"};
      const bool breaks = std::any_of(std::begin(kBreaks), std::end(kBreaks), [&](auto b) {
        return font.find(b) != std::string_view::npos;
      });
      if (breaks || font.find_first_of("[]\n\v\f\r") != std::string_view::npos) return std::nullopt;
      return std::string(font);
    }
  }
  return std::nullopt;
}

}  // namespace

StatusOr<FadeDocument> FadeDocument::Create(const FadeSettings& fade, bool markupOnly,
                                            const MarkupOptions& options, ColorCounts counts) {
  const bool styles[kStyleCount] = {fade.underlined == 1, fade.italic == 1, fade.bold == 1};
  MarkupOptions written = options;
  written.underline = !markupOnly && styles[0];
  written.italic = !markupOnly && styles[1];
  written.bold = !markupOnly && styles[2];
  TINTRIX_ASSIGN_OR_RETURN(const std::optional<ColorCount> count,
                           ParseNumberColors(fade.colorCount, counts));
  if (!count && counts == ColorCounts::kAny) {
    return Status::InvalidArgument("The number of colours must be a whole number from 2 to " +
                                   std::to_string(kMaxFadeColors) + ": \"" +
                                   EscapeControlCharacters(fade.colorCount) + "\"");
  }
  std::optional<FadeGenerator> generator;
  if (count) {
    TINTRIX_ASSIGN_OR_RETURN(generator,
                             FadeGenerator::Create(*count, fade.colors, fade.wavy != 0, written));
  }
  const FormatTraits& format = TraitsOf(options.format);
  std::string open(format.documentOpen);
  std::string close;
  if (!markupOnly) {
    const std::optional<std::string> quoted = format.fontWhenEmpty || !fade.font.empty()
                                                  ? QuotedFont(format.font, fade.font)
                                                  : std::nullopt;
    const bool font = quoted.has_value();
    if (font) {
      open += format.fontOpen;
      open += *quoted;
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
  return FadeDocument(generator, std::move(open), std::move(close), options.levels);
}

Status FadeDocument::Append(std::string_view text, const FadeHooks& hooks, std::string& out) const {
  return Append(SplitCharacters(text), hooks, out);
}

Status FadeDocument::Append(const CharacterText& characters, const FadeHooks& hooks,
                            std::string& out) const {
  out += m_open;
  if (m_generator) TINTRIX_RETURN_IF_ERROR(m_generator->Append(characters, hooks, out));
  out += m_close;
  return Status::Ok();
}

Status FadeDocument::AppendInColors(const CharacterText& characters,
                                    std::span<const std::uint32_t> rgb, const FadeHooks& hooks,
                                    std::string& out) const {
  out += m_open;
  if (m_generator)
    TINTRIX_RETURN_IF_ERROR(m_generator->AppendInColors(characters, rgb, hooks, out));
  out += m_close;
  return Status::Ok();
}

std::vector<std::uint32_t> FadeDocument::Colors(std::size_t n) const {
  return m_generator ? m_generator->Colors(n) : std::vector<std::uint32_t>();
}

// The fade is a copy on purpose (see the header): clang-tidy sees only that it is not changed.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
Status AppendFadeMarkup(FadeSettings fade, const FadeHooks& hooks, std::string& out) {
  TINTRIX_ASSIGN_OR_RETURN(const FadeDocument document, FadeDocument::Create(fade, true));
  return document.Append(fade.text, hooks, out);
}

// NOLINTNEXTLINE(performance-unnecessary-value-param): a copy on purpose, as above
StatusOr<std::string> BuildFadeDocument(FadeSettings fade, const FadeHooks& hooks) {
  TINTRIX_ASSIGN_OR_RETURN(const FadeDocument document, FadeDocument::Create(fade, false));
  std::string made;
  TINTRIX_RETURN_IF_ERROR(document.Append(fade.text, hooks, made));
  return made;
}

}  // namespace tintrix
