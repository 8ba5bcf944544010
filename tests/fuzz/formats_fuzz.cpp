// Every format and size option on arbitrary text: the document is made without a fault; in
// html, bbcode, minimessage and the three minecraft spellings, taking the tags out and the
// escapes back gives the text again, and no text can be read as a tag or code; ansi passes
// no control character but its own colour and style sequences; and without the size options
// every character has a tag of its own; the portable paths write what the AVX2 ones do. (json's
// documents are json_fuzz's.) Stamped documents, and those of kept colours, are the documents
// made.
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/cpufeatures.h"
#include "engine/randomsource.h"
#include "engine/shortfadecolors.h"
#include "output/documentstamps.h"
#include "output/fadedocument.h"
#include "output/graphemes.h"
#include "tests/fuzz/fuzzinput.h"

namespace {

using tintrix::MarkupFormat;

std::string HtmlText(const std::string& markup) {
  std::string text;
  for (std::size_t i = 0; i < markup.size(); ++i) {
    if (markup[i] == '<') {
      i = markup.find('>', i);
      if (i == std::string::npos) tintrix::fuzz::Fail("html: a tag is not closed");
      continue;
    }
    if (markup[i] == '&') {
      static const std::pair<std::string_view, char> kEntities[] = {
          {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
      bool known = false;
      for (const auto& [entity, c] : kEntities) {
        if (markup.compare(i, entity.size(), entity) == 0) {
          text += c;
          i += entity.size() - 1;
          known = true;
          break;
        }
      }
      if (!known) tintrix::fuzz::Fail("html: a bare &");
      continue;
    }
    text += markup[i];
  }
  return text;
}

std::string MinimessageText(const std::string& markup) {
  std::string text;
  for (std::size_t i = 0; i < markup.size(); ++i) {
    if (markup[i] == '\\') {
      if (i + 1 == markup.size()) tintrix::fuzz::Fail("minimessage: a lone backslash");
      text += markup[++i];
    } else if (markup[i] == '<') {
      i = markup.find('>', i);
      if (i == std::string::npos) tintrix::fuzz::Fail("minimessage: a tag is not closed");
    } else {
      text += markup[i];
    }
  }
  return text;
}

bool StartsWith(const std::string& s, std::size_t at, std::string_view prefix) {
  return s.compare(at, prefix.size(), prefix) == 0;
}

bool IsHex(const std::string& s, std::size_t at, std::size_t count) {
  if (at + count > s.size()) return false;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

// bbcode read as a forum does, which takes a [ for the start of a tag: the text of every
// element is either free of [ or that one character alone.
std::string BbcodeText(const std::string& markup) {
  std::string text;
  for (std::size_t i = 0; i < markup.size();) {
    if (!StartsWith(markup, i, "[color=#") || !IsHex(markup, i + 8, 6) || markup[i + 14] != ']') {
      tintrix::fuzz::Fail("bbcode: text outside an element");
    }
    i += 15;
    for (std::string_view wave : {"[sub]", "[sup]"}) {
      if (StartsWith(markup, i, wave)) i += wave.size();
    }
    // An element holds at least one character, so its end is the first [/ after its start.
    const std::size_t end = markup.find("[/", i + 1);
    if (end == std::string::npos) tintrix::fuzz::Fail("bbcode: an element is not closed");
    const std::string content = markup.substr(i, end - i);
    if (content.find('[') != std::string::npos && tintrix::SplitCharacters(content).size() != 1) {
      tintrix::fuzz::Fail("bbcode: a [ does not stand alone");
    }
    text += content;
    i = end;
    for (std::string_view wave : {"[/sub]", "[/sup]"}) {
      if (StartsWith(markup, i, wave)) i += wave.size();
    }
    if (!StartsWith(markup, i, "[/color]")) tintrix::fuzz::Fail("bbcode: a tag in the text");
    i += 8;
  }
  return text;
}

// The length of the minecraft colour code at `at` in the format's spelling (&#RRGGBB,
// &x&R&R&G&G&B&B or the same with section signs), or 0.
std::size_t MinecraftColorCode(const std::string& s, std::size_t at, MarkupFormat format) {
  if (format == MarkupFormat::kMinecraft) {
    return StartsWith(s, at, "&#") && IsHex(s, at + 2, 6) ? 8 : 0;
  }
  const std::string_view mark = format == MarkupFormat::kMinecraftX ? "&" : "\u00A7";
  std::size_t i = at;
  if (!StartsWith(s, i, mark) || !StartsWith(s, i + mark.size(), "x")) return 0;
  i += mark.size() + 1;
  for (int digit = 0; digit < 6; ++digit, i += mark.size() + 1) {
    if (!StartsWith(s, i, mark) || !IsHex(s, i + mark.size(), 1)) return 0;
  }
  return i - at;
}

// minecraft read as a server plugin does: & or § followed by a code character is a code.
std::string MinecraftText(const std::string& markup, MarkupFormat format) {
  static const std::string kCodeCharacters = "0123456789abcdefklmnorx#ABCDEFKLMNORX";
  const std::string_view mark = format == MarkupFormat::kMinecraftSection ? "\u00A7" : "&";
  std::string text;
  for (std::size_t i = 0; i < markup.size();) {
    if (const std::size_t code = MinecraftColorCode(markup, i, format)) {
      i += code;
      for (const char style : {'n', 'o', 'l'}) {
        if (StartsWith(markup, i, mark) && StartsWith(markup, i + mark.size(), {&style, 1})) {
          i += mark.size() + 1;
        }
      }
      continue;
    }
    const std::size_t length = StartsWith(markup, i, "\u00A7") ? 2 : 1;
    const bool isMark = length == 2 || markup[i] == '&';
    text.append(markup, i, length);
    i += length;
    if (isMark && i < markup.size() && kCodeCharacters.find(markup[i]) != std::string::npos &&
        MinecraftColorCode(markup, i, format) == 0) {
      tintrix::fuzz::Fail("minecraft: text reads as a code");
    }
  }
  return text;
}

// ansi without its own sequences holds no control character but TAB.
void CheckAnsi(const std::string& markup) {
  for (std::size_t i = 0; i < markup.size(); ++i) {
    const auto c = static_cast<unsigned char>(markup[i]);
    if (c == 0x1B) {
      const std::size_t end = markup.find('m', i);
      if (end == std::string::npos || markup[i + 1] != '[' ||
          markup.find_first_not_of("0123456789;", i + 2) != end) {
        tintrix::fuzz::Fail("ansi: an escape that is not a colour or style");
      }
      i = end;
    } else if ((c < 0x20 && c != '\t') || c == 0x7F ||
               (c == 0xC2 && i + 1 < markup.size() &&
                static_cast<unsigned char>(markup[i + 1]) >= 0x80 &&
                static_cast<unsigned char>(markup[i + 1]) <= 0x9F)) {
      tintrix::fuzz::Fail("ansi: a control character reaches the terminal");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t a = data[0], b = data[1];
  tintrix::fuzz::FuzzInput input(data + 2, size - 2);
  const std::string text = input.Rest();

  tintrix::FadeSettings fade = tintrix::DefaultFade();
  static const int kCounts[] = {2, 3, 4, 5, 10};
  fade.colorCount = std::to_string(kCounts[a % 5]);
  static const char* const kColors[] = {"0",     "16777215", "255",     "65280",   "16711680",
                                        "12345", "8421504",  "4210816", "7777777", "2147483647"};
  for (std::size_t k = 0; k < 10; ++k) fade.colors[k] = kColors[(k + b) % 10];
  fade.wavy = (a >> 3) & 1;
  fade.bold = (b >> 4) & 1;
  fade.italic = (a >> 1) & 1;
  fade.underlined = (a >> 2) & 1;
  fade.font = (b >> 5) & 1 ? "F'\\<" : "";
  tintrix::MarkupOptions options;
  options.format = static_cast<MarkupFormat>((a >> 4) % 6);
  // The formats without wave and font take the wave's and the font's bits for their spelling.
  static const MarkupFormat kSpellings[] = {MarkupFormat::kMinecraft, MarkupFormat::kMinecraftX,
                                            MarkupFormat::kMinecraftSection, MarkupFormat::kJson};
  const bool minecraft = options.format == MarkupFormat::kMinecraft;
  if (minecraft) options.format = kSpellings[((a >> 3) & 1) | ((b >> 4) & 2)];
  options.merge = (a >> 7) & 1;
  options.skipBlanks = (b >> 6) & 1;
  static const int kLevels[] = {256, 16, 8, 4, 3, 2, 256, 256};
  options.levels = kLevels[b & 7];
  options.blend = static_cast<tintrix::BlendSpace>((b >> 3) & 1 ? (b >> 7) + 1 + (a & 1) : 0);

  // Styles only where they are codes or keys in the runs; elsewhere they are tags around them.
  const bool markupOnly = !minecraft;
  const tintrix::StatusOr<tintrix::FadeDocument> document =
      tintrix::FadeDocument::Create(fade, markupOnly, options);
  if (!document.ok()) {
    tintrix::fuzz::Fail("the fade was refused");
  }
  tintrix::ClockSeededRandom random(a);
  std::size_t tags = 0;
  tintrix::FadeHooks hooks;
  hooks.wave = &random;
  hooks.colorTags = &tags;
  std::string markup;
  if (!document->Append(text, hooks, markup).ok()) tintrix::fuzz::Fail("the fade failed");
  if (tintrix::Avx2Available()) {
    // The portable paths write what the AVX2 ones wrote.
    tintrix::EnableAvx2(false);
    tintrix::ClockSeededRandom again(a);
    tintrix::FadeHooks portableHooks;
    portableHooks.wave = &again;
    std::string portable;
    const bool made = document->Append(text, portableHooks, portable).ok();
    tintrix::EnableAvx2(true);
    if (!made || portable != markup) tintrix::fuzz::Fail("the portable and the AVX2 fade differ");
  }

  // The text twice, so that its length is stamped, and its bytes backwards.
  tintrix::DocumentStamps stamps(*document);
  tintrix::ShortFadeColors kept;
  const std::string backwards(text.rbegin(), text.rend());
  for (const std::string* stamped : {&text, &text, &backwards}) {
    std::string made[2];
    std::size_t madeTags[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
      tintrix::ClockSeededRandom wave(a);
      tintrix::FadeHooks stampHooks;
      stampHooks.wave = &wave;
      stampHooks.colorTags = &madeTags[k];
      if (k == 1) stampHooks.shortColors = &kept;
      const tintrix::Status status = k == 0 ? document->Append(*stamped, stampHooks, made[k])
                                            : stamps.Append(*stamped, stampHooks, made[k]);
      if (!status.ok()) tintrix::fuzz::Fail("the fade failed");
    }
    if (made[0] != made[1] || madeTags[0] != madeTags[1]) {
      tintrix::fuzz::Fail("a stamped document differs from the one made");
    }
  }

  if (options.format == MarkupFormat::kHtml && HtmlText(markup) != text) {
    tintrix::fuzz::Fail("html: the text does not come back");
  }
  if (options.format == MarkupFormat::kMinimessage && MinimessageText(markup) != text) {
    tintrix::fuzz::Fail("minimessage: the text does not come back");
  }
  if (options.format == MarkupFormat::kBbcode && BbcodeText(markup) != text) {
    tintrix::fuzz::Fail("bbcode: the text does not come back");
  }
  if ((options.format == MarkupFormat::kMinecraft || options.format == MarkupFormat::kMinecraftX ||
       options.format == MarkupFormat::kMinecraftSection) &&
      MinecraftText(markup, options.format) != text) {
    tintrix::fuzz::Fail("minecraft: the text does not come back");
  }
  if (options.format == MarkupFormat::kAnsi) CheckAnsi(markup);
  const std::size_t characters = tintrix::SplitCharacters(text).size();
  if (tags > characters) tintrix::fuzz::Fail("more tags than characters");
  if (!options.merge && !options.skipBlanks && options.format != MarkupFormat::kAnsi &&
      tags != characters) {
    tintrix::fuzz::Fail("a character without its tag");
  }
  return 0;
}
