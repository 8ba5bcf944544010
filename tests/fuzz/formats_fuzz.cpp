// Every format and size option on arbitrary text: the document is made without a fault; in
// html and minimessage, taking the tags out and the escapes back gives the text again; and
// without the size options every character has a tag of its own.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/randomsource.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t a = data[0], b = data[1];
  tintrix::fuzz::FuzzInput input(data + 2, size - 2);
  const std::string text = input.Rest();

  tintrix::FadeSettings fade = tintrix::DefaultFade();
  static const int kCounts[] = {2, 3, 4, 5, 10};
  fade.NumberColors = std::to_string(kCounts[a % 5]);
  static const char* const kColors[] = {"0",     "16777215", "255",     "65280",   "16711680",
                                        "12345", "8421504",  "4210816", "7777777", "2147483647"};
  for (std::size_t k = 0; k < 10; ++k) fade.Colors[k] = kColors[(k + b) % 10];
  fade.WaVy = (a >> 3) & 1;
  fade.Bold = (b >> 4) & 1;
  fade.Font = (b >> 5) & 1 ? "F'\\<" : "";
  tintrix::MarkupOptions options;
  options.format = static_cast<MarkupFormat>((a >> 4) % 6);
  options.merge = (a >> 7) & 1;
  options.skipBlanks = (b >> 6) & 1;
  static const int kLevels[] = {256, 16, 8, 4, 3, 2, 256, 256};
  options.levels = kLevels[b & 7];
  options.blend = static_cast<tintrix::BlendSpace>((b >> 3) & 1 ? (b >> 7) + 1 + (a & 1) : 0);

  std::optional<tintrix::FadeDocument> document;
  if (!tintrix::FadeDocument::Create(fade, true, document, options).ok()) {
    tintrix::fuzz::Fail("the fade was refused");
  }
  tintrix::ClockSeededRandom random(a);
  std::size_t tags = 0;
  tintrix::FadeHooks hooks;
  hooks.wave = &random;
  hooks.colorTags = &tags;
  std::string markup;
  if (!document->Append(text, hooks, markup).ok()) tintrix::fuzz::Fail("the fade failed");

  if (options.format == MarkupFormat::kHtml && HtmlText(markup) != text) {
    tintrix::fuzz::Fail("html: the text does not come back");
  }
  if (options.format == MarkupFormat::kMinimessage && MinimessageText(markup) != text) {
    tintrix::fuzz::Fail("minimessage: the text does not come back");
  }
  const std::size_t characters = tintrix::SplitCharacters(text).size();
  if (tags > characters) tintrix::fuzz::Fail("more tags than characters");
  if (!options.merge && !options.skipBlanks && options.format != MarkupFormat::kAnsi &&
      tags != characters) {
    tintrix::fuzz::Fail("a character without its tag");
  }
  return 0;
}
