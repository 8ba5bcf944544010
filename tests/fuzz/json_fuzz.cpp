// json on arbitrary text and options: the document is JSON to a strict parser (nlohmann's,
// which also holds it to UTF-8), escaped only with \" \\ and \u00XX for the control
// characters (C0, DEL, C1), none of them raw; an array of "" and then text components, each
// a non-empty string "text", a string "color" #RRGGBB and the key of each style that is on
// (true), nothing else; the texts together are the text with each ill-formed UTF-8 sequence
// replaced by U+FFFD (its maximal subpart, as ICU takes it); one component per colour tag,
// one per character when nothing joins them, neighbours of one colour only apart when not
// merged; and the runs, their texts and colours are html's for the same fade.
#include <unicode/utf8.h>

#include <cctype>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/randomsource.h"
#include "output/fadedocument.h"
#include "output/graphemes.h"
#include "tests/fuzz/fuzzinput.h"

namespace {

using tintrix::fuzz::Fail;

// The text as a reader of UTF-8 sees it: each ill-formed sequence one U+FFFD.
std::string WellFormed(std::string_view text) {
  std::string out;
  for (int32_t i = 0, size = static_cast<int32_t>(text.size()); i < size;) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(text.data(), i, size, c);
    if (c < 0) {
      out += "\xEF\xBF\xBD";
    } else {
      out.append(text, static_cast<std::size_t>(start), static_cast<std::size_t>(i - start));
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Outside its strings a JSON text holds no backslash and no byte past ASCII, so the whole
// document is looked at: every escape is \", \\ or a control character's \u00XX, and no
// DEL or C1 control stands in it raw (nlohmann refuses raw C0 controls itself).
void CheckEscapes(const std::string& markup) {
  for (std::size_t i = 0; i < markup.size(); ++i) {
    const auto c = static_cast<unsigned char>(markup[i]);
    if (c == 0x7F ||
        (c == 0xC2 && i + 1 < markup.size() && static_cast<unsigned char>(markup[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(markup[i + 1]) <= 0x9F)) {
      Fail("json: a DEL or C1 control is not escaped");
    }
    if (c != '\\') continue;
    if (i + 1 < markup.size() && (markup[i + 1] == '"' || markup[i + 1] == '\\')) {
      ++i;
      continue;
    }
    if (i + 5 >= markup.size() || markup.compare(i + 1, 3, "u00") != 0 ||
        HexValue(markup[i + 4]) < 0 || HexValue(markup[i + 5]) < 0) {
      Fail("json: an escape that is neither \\\" nor \\\\ nor \\u00XX");
    }
    const int code = HexValue(markup[i + 4]) * 16 + HexValue(markup[i + 5]);
    if (code >= 0x20 && !(code >= 0x7F && code <= 0x9F)) {
      Fail("json: a \\u escape of a character that is no control");
    }
    i += 5;
  }
}

struct Run {
  std::string text;
  std::string color;  // RRGGBB, upper case
};

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// html's runs, <span style="color:#rrggbb">TEXT</span> each, with its entities read back.
std::vector<Run> HtmlRuns(const std::string& markup) {
  static constexpr std::string_view kOpen = "<span style=\"color:#";
  static const std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  std::vector<Run> runs;
  for (std::size_t i = 0; i < markup.size();) {
    if (markup.compare(i, kOpen.size(), kOpen) != 0 || i + kOpen.size() + 8 > markup.size() ||
        markup.compare(i + kOpen.size() + 6, 2, "\">") != 0) {
      Fail("html: not a colour's span");
    }
    Run run{"", Upper(markup.substr(i + kOpen.size(), 6))};
    const std::size_t end = markup.find("</span>", i);
    if (end == std::string::npos) Fail("html: a span is not closed");
    for (i += kOpen.size() + 8; i < end;) {
      bool entity = false;
      for (const auto& [name, c] : kEntities) {
        if (markup.compare(i, name.size(), name) == 0) {
          run.text += c;
          i += name.size();
          entity = true;
          break;
        }
      }
      if (!entity) run.text += markup[i++];
    }
    runs.push_back(std::move(run));
    i = end + 7;
  }
  return runs;
}

std::string Document(const tintrix::FadeSettings& fade, bool markupOnly,
                     const tintrix::MarkupOptions& options, const std::string& text,
                     std::size_t* tags) {
  const tintrix::StatusOr<tintrix::FadeDocument> document =
      tintrix::FadeDocument::Create(fade, markupOnly, options);
  if (!document.ok()) Fail("the fade was refused");
  tintrix::ClockSeededRandom random(0);
  tintrix::FadeHooks hooks;
  hooks.wave = &random;
  hooks.colorTags = tags;
  std::string markup;
  if (!document->Append(text, hooks, markup).ok()) Fail("the fade failed");
  return markup;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t a = data[0], b = data[1];
  tintrix::fuzz::FuzzInput input(data + 2, size - 2);
  const std::string text = input.Rest();

  tintrix::FadeSettings fade = tintrix::DefaultFade();
  static const int kCounts[] = {2, 3, 4, 5, 10};
  fade.colorCount = std::to_string(kCounts[a % 5]);
  static const char* const kColors[] = {"0",     "16777215", "255",     "65280",   "16711680",
                                        "12345", "8421504",  "4210816", "7777777", "2147483647"};
  // Colours in a row repeat now and then, so that merged runs span several characters.
  for (std::size_t k = 0; k < 10; ++k) fade.colors[k] = kColors[(k / (1 + (a >> 6)) + b) % 10];
  // json has no wave and no font: neither may show.
  fade.wavy = (a >> 3) & 1;
  fade.font = "F\"\\\x01";
  fade.bold = (b >> 4) & 1;
  fade.italic = (a >> 1) & 1;
  fade.underlined = (a >> 2) & 1;
  const bool markupOnly = (b >> 5) & 1;
  tintrix::MarkupOptions options;
  options.format = tintrix::MarkupFormat::kJson;
  options.merge = (a >> 5) & 1;
  options.skipBlanks = (b >> 6) & 1;
  static const int kLevels[] = {256, 16, 8, 4, 3, 2, 256, 256};
  options.levels = kLevels[b & 7];
  options.blend = static_cast<tintrix::BlendSpace>((b >> 3) & 1 ? (b >> 7) + 1 + (a & 1) : 0);

  std::size_t tags = 0;
  const std::string markup = Document(fade, markupOnly, options, text, &tags);

  const nlohmann::json document = nlohmann::json::parse(markup, nullptr, false);
  if (document.is_discarded()) Fail("json: the document is no JSON");
  CheckEscapes(markup);
  if (!document.is_array() || document.empty() || document[0] != "") {
    Fail("json: not an array that starts with \"\"");
  }
  const std::pair<const char*, bool> kStyles[] = {{"bold", fade.bold && !markupOnly},
                                                  {"italic", fade.italic && !markupOnly},
                                                  {"underlined", fade.underlined && !markupOnly}};
  std::vector<Run> runs;
  for (std::size_t i = 1; i < document.size(); ++i) {
    const nlohmann::json& component = document[i];
    if (!component.is_object()) Fail("json: a component that is no object");
    std::size_t keys = 2;
    if (!component.contains("text") || !component["text"].is_string() ||
        component["text"].get_ref<const std::string&>().empty()) {
      Fail("json: a component without its text");
    }
    if (!component.contains("color") || !component["color"].is_string()) {
      Fail("json: a component without its colour");
    }
    const std::string& color = component["color"].get_ref<const std::string&>();
    if (color.size() != 7 || color[0] != '#' ||
        color.find_first_not_of("0123456789ABCDEF", 1) != std::string::npos) {
      Fail("json: a colour that is not #RRGGBB");
    }
    for (const auto& [style, on] : kStyles) {
      if (component.contains(style) != on) Fail("json: a style key where the style is not on");
      if (on && component[style] != true) Fail("json: a style that is not true");
      keys += on;
    }
    if (component.size() != keys) Fail("json: a key that is none of a component's");
    runs.push_back({component["text"].get<std::string>(), color.substr(1)});
  }

  std::string texts;
  for (const Run& run : runs) texts += run.text;
  if (texts != WellFormed(text)) Fail("json: the texts are not the text");

  if (runs.size() != tags) Fail("json: not one component per colour tag");
  const tintrix::CharacterText characters = tintrix::SplitCharacters(text);
  if (!options.merge && !options.skipBlanks) {
    if (runs.size() != characters.size()) Fail("json: not one component per character");
    tintrix::CharacterText::Cursor cursor(characters);
    for (std::size_t i = 0, start = 0; i < runs.size(); ++i) {
      const std::size_t end = cursor.Next();
      if (runs[i].text != WellFormed(std::string_view(text).substr(start, end - start))) {
        Fail("json: a component's text is not its character");
      }
      start = end;
    }
  }
  if (options.merge) {
    for (std::size_t i = 1; i < runs.size(); ++i) {
      if (runs[i].color == runs[i - 1].color) Fail("json: merged neighbours of one colour");
    }
  }

  // html, without the wave that parts its runs, writes the same runs in the same colours.
  tintrix::FadeSettings plain = fade;
  plain.wavy = false;
  tintrix::MarkupOptions htmlOptions = options;
  htmlOptions.format = tintrix::MarkupFormat::kHtml;
  const std::vector<Run> htmlRuns = HtmlRuns(Document(plain, true, htmlOptions, text, nullptr));
  if (htmlRuns.size() != runs.size()) Fail("json: not html's runs");
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].color != htmlRuns[i].color) Fail("json: a run's colour is not html's");
    if (runs[i].text != WellFormed(htmlRuns[i].text)) Fail("json: a run's text is not html's");
  }
  return 0;
}
