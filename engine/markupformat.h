#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/blendspace.h"

namespace tintrix {

// The kinds of markup a fade can be written in. Every one uses the same characters, cut and
// colours; classic is what the window writes. What each writes is its entry in kFormats.
enum class MarkupFormat {
  kClassic,
  kHtml,
  kBbcode,
  kAnsi,
  kMinecraft,
  kMinimessage,
  kJson,
  kMinecraftX,
  kMinecraftSection,
};

// How a format spells a colour's channels in its colour tag.
enum class ColorSpelling {
  kHexUpper,   // RRGGBB
  kHexLower,   // rrggbb
  kDecimal,    // R;G;B
  kMarkedHex,  // each upper-case digit after the format's colorMark: &R&R&G&G&B&B
};

// Where a format writes the wave states of a wavy fade.
enum class WavePlace {
  kNone,           // nowhere: the format has no raised or lowered text
  kAfterColorTag,  // after each colour tag, closing the state of the character before
  kInsideElement,  // inside the colour's element, closed before the element is
};

// What a format does to the characters of the text so that they stay text.
enum class TextEscape {
  kNone,
  kHtmlEntities,     // & < > " as &amp; &lt; &gt; &quot;
  kBackslash,        // \ and < after a backslash
  kControlPictures,  // C0 controls but TAB, and DEL, as their Control Pictures
                     // (U+2400 ... U+241F, U+2421); C1 controls as U+FFFD
  kJson,             // a JSON string's content: \" and \\, every control character as
                     // \u00XX, bytes that are no UTF-8 as U+FFFD
};

// How a format writes the font name into the document's font tag.
// Fade files are shared, so a font name is foreign text: whatever it holds, it stays one name.
enum class FontQuoting {
  kNone,           // the format has no font tag
  kHtmlAttribute,  // in a double-quoted HTML attribute: & < > " as &amp; &lt; &gt; &quot;
  kCssInHtml,      // in a quoted CSS string (\ and ' after a backslash, control characters as
                   // hexadecimal escapes) inside an HTML attribute
  kBbcodeValue,    // as it is; a name holding [, ] or a line break, which could end the tag or
                   // open another, gets no font tag at all
};

// Underline, italic, bold: the order in which style tags open, outermost first.
inline constexpr std::size_t kStyleCount = 3;
using StyleTexts = std::array<std::string_view, kStyleCount>;
// Indexed by wave state: 0 none, 1 lowered, 2 raised, 3 on the line.
using WaveTexts = std::array<std::string_view, 4>;

// Everything a format writes besides the characters themselves. The writers and the document
// around them read nothing else, so a new format is a new entry; a field left out writes
// nothing (or, for the spelling, upper-case hexadecimal).
struct FormatTraits {
  std::string_view name;     // as --format takes it
  std::string_view summary;  // a few words on what reads it, for the shells' completion

  // Each run of characters: colorPrefix, the colour, colorSuffix, the style codes that are
  // on; its characters; then runClose. Where the colour comes after the text, a run is
  // colorPrefix, its characters, runClose, the colour, colorSuffix, the style codes, runEnd.
  std::string_view colorPrefix;
  ColorSpelling spelling = ColorSpelling::kHexUpper;
  std::string_view colorMark = "";  // kMarkedHex: before each digit
  std::string_view colorSuffix = "";
  std::string_view runClose = "";
  bool colorAfterText = false;
  std::string_view runEnd = "";
  // Written after every colour tag for the styles that are on, where a colour tag resets
  // them; formats that keep styles across colours put them around the document instead.
  StyleTexts styleCodes = {"", "", ""};
  // True when a colour tag is written only where the colour changes, merged or not.
  bool alwaysMerges = false;

  WavePlace wave = WavePlace::kNone;
  WaveTexts waveOpen = {"", "", "", ""};
  WaveTexts waveClose = {"", "", "", ""};

  TextEscape escape = TextEscape::kNone;
  // A character holding one of these bytes stands alone in its colour element: it starts one
  // of its own, and nothing joins it, so that it can never open or close a tag with the
  // characters around it.
  std::string_view standAlone = "";
  // After a character holding one of these texts the next character gets its colour tag
  // again, so that the two can never form a code.
  std::array<std::string_view, 2> retagAfter = {"", ""};

  // The document: documentOpen, the font tag, the style tags that are on, the runs, the
  // style tags' ends, the font tag's end, documentClose. With markup only, the font and
  // style tags and codes are left out; documentOpen and documentClose never are.
  std::string_view documentOpen = "";
  std::string_view documentClose = "";
  StyleTexts styleOpen = {"", "", ""};
  StyleTexts styleClose = {"", "", ""};  // each the end of the styleOpen at the same index
  FontQuoting font = FontQuoting::kNone;
  bool fontWhenEmpty = false;  // the font tag is written for an empty name too
  std::string_view fontOpen = "";
  std::string_view fontOpenEnd = "";
  std::string_view fontClose = "";
};

namespace formats {

inline constexpr StyleTexts kAngleOpen = {"<u>", "<i>", "<b>"};
inline constexpr StyleTexts kAngleClose = {"</u>", "</i>", "</b>"};

}  // namespace formats

// One entry per MarkupFormat, in its order.
inline constexpr std::array<FormatTraits, 9> kFormats = {{
    {
        .name = "classic",
        .summary = "the markup the window writes",
        .colorPrefix = "<Font Color=#",
        .colorSuffix = ">",
        .wave = WavePlace::kAfterColorTag,
        .waveOpen = {"", "<SUB>", "<SUP>", ""},
        .waveClose = {"", "</SUB>", "</SUP>", ""},
        // The window's markup has always held the text as it is typed.
        .escape = TextEscape::kNone,
        .styleOpen = formats::kAngleOpen,
        .styleClose = formats::kAngleClose,
        .font = FontQuoting::kHtmlAttribute,
        .fontWhenEmpty = true,
        .fontOpen = "<font face=\"",
        .fontOpenEnd = "\">",
        .fontClose = "</font>",
    },
    {
        .name = "html",
        .summary = "modern HTML spans",
        .colorPrefix = "<span style=\"color:#",
        .spelling = ColorSpelling::kHexLower,
        .colorSuffix = "\">",
        .runClose = "</span>",
        .wave = WavePlace::kInsideElement,
        .waveOpen = {"", "<sub>", "<sup>", ""},
        .waveClose = {"", "</sub>", "</sup>", ""},
        .escape = TextEscape::kHtmlEntities,
        .styleOpen = formats::kAngleOpen,
        .styleClose = formats::kAngleClose,
        .font = FontQuoting::kCssInHtml,
        .fontOpen = "<span style=\"font-family:'",
        .fontOpenEnd = "'\">",
        .fontClose = "</span>",
    },
    {
        .name = "bbcode",
        .summary = "forum colour tags",
        .colorPrefix = "[color=#",
        .colorSuffix = "]",
        .runClose = "[/color]",
        .wave = WavePlace::kInsideElement,
        .waveOpen = {"", "[sub]", "[sup]", ""},
        .waveClose = {"", "[/sub]", "[/sup]", ""},
        // BBCode has no escape: a [ alone in its element can start no tag.
        .standAlone = "[",
        .styleOpen = {"[u]", "[i]", "[b]"},
        .styleClose = {"[/u]", "[/i]", "[/b]"},
        .font = FontQuoting::kBbcodeValue,
        .fontOpen = "[font=",
        .fontOpenEnd = "]",
        .fontClose = "[/font]",
    },
    {
        .name = "ansi",
        .summary = "terminal colours",
        .colorPrefix = "\x1b[38;2;",
        .spelling = ColorSpelling::kDecimal,
        .colorSuffix = "m",
        .alwaysMerges = true,
        .escape = TextEscape::kControlPictures,
        .documentClose = "\x1b[0m",
        .styleOpen = {"\x1b[4m", "\x1b[3m", "\x1b[1m"},
    },
    {
        .name = "minecraft",
        .summary = "Minecraft colour codes",
        .colorPrefix = "&#",
        // A colour code resets the styles in the game.
        .styleCodes = {"&n", "&o", "&l"},
        .retagAfter = {"&", "\u00A7"},
    },
    {
        .name = "minimessage",
        .summary = "MiniMessage tags",
        .colorPrefix = "<#",
        .spelling = ColorSpelling::kHexLower,
        .colorSuffix = ">",
        .escape = TextEscape::kBackslash,
        .styleOpen = formats::kAngleOpen,
        .styleClose = formats::kAngleClose,
    },
    {
        // The game's text components: /tellraw, books, signs, the server list.
        .name = "json",
        .summary = "Minecraft JSON text components",
        .colorPrefix = ",{\"text\":\"",
        .colorSuffix = "\"",
        .runClose = "\",\"color\":\"#",
        .colorAfterText = true,
        .runEnd = "}",
        .styleCodes = {",\"underlined\":true", ",\"italic\":true", ",\"bold\":true"},
        .escape = TextEscape::kJson,
        .documentOpen = "[\"\"",
        .documentClose = "]",
    },
    {
        // The servers' own translation of & codes.
        .name = "minecraft-x",
        .summary = "Minecraft &x hex codes",
        .colorPrefix = "&x",
        .spelling = ColorSpelling::kMarkedHex,
        .colorMark = "&",
        .styleCodes = {"&n", "&o", "&l"},
        .retagAfter = {"&", "\u00A7"},
    },
    {
        // What a server sends, and what a server list shows.
        .name = "minecraft-section",
        .summary = "Minecraft section-sign hex codes",
        .colorPrefix = "\u00A7x",
        .spelling = ColorSpelling::kMarkedHex,
        .colorMark = "\u00A7",
        .styleCodes = {"\u00A7n", "\u00A7o", "\u00A7l"},
        .retagAfter = {"&", "\u00A7"},
    },
}};

constexpr const FormatTraits& TraitsOf(MarkupFormat format) {
  return kFormats[static_cast<std::size_t>(format)];
}

// The format of that name in kFormats; nullopt otherwise.
std::optional<MarkupFormat> ParseMarkupFormat(std::string_view name);

// The formats' names for a message: "classic, html, ... or minimessage".
std::string MarkupFormatNames();

// Whether the format writes the wave; the others ignore a wavy fade's states.
constexpr bool WritesWave(MarkupFormat format) { return TraitsOf(format).wave != WavePlace::kNone; }

// `text` with the format's escapes (TextEscape), as it would stand in the format's markup.
std::string EscapeForFormat(MarkupFormat format, std::string_view text);

// How a fade's characters are written, beyond its colours and wave.
struct MarkupOptions {
  MarkupFormat format = MarkupFormat::kClassic;
  BlendSpace blend = BlendSpace::kRgb;
  // A colour tag only where the tag would differ from the one before (colour, and wave state
  // where the format writes one); one element then holds the whole run.
  bool merge = false;
  // A blank (Unicode White_Space) after another character joins the run of the character
  // before it, as if it had that character's colour and wave state.
  bool skipBlanks = false;
  // Levels per channel, 2 ... 256: every colour is reduced to them after the blend
  // (level = round(v * (L - 1) / 255), channel = round(level * 255 / (L - 1)), halves to even).
  int levels = 256;
  // The styles whose codes follow every colour tag, in formats that have them (styleCodes).
  bool underline = false;
  bool italic = false;
  bool bold = false;
};

// Reduces each colour of `rgb` (0xRRGGBB) to `levels` levels per channel (2 ... 256) in place,
// as a document written with MarkupOptions::levels writes it.
void ReduceToLevels(std::span<std::uint32_t> rgb, int levels);

}  // namespace tintrix
