// Fade speed, reported per character (items): GenerateFade alone on text already cut into
// characters, and BuildFadeDocument, which also cuts the text and wraps the markup.
// Arguments: characters, colours, wave off/on, text kind (0 ASCII, 1 mixed, 2 dense).
// The same two on many short texts, as a caller fading line after line makes them (and each
// format so), the companion (RunFadeTool) on a many-lines and a one-line input, and a document
// of a megabyte made and read back (--read). bench/companion_limit.py times the companion as a
// whole process against what the machine allows (bench/limit.cpp).
#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "cli/fadetool.h"
#include "engine/fadegenerator.h"
#include "engine/shortfadecolors.h"
#include "output/documentstamps.h"
#include "output/fadedocument.h"
#include "output/graphemes.h"

namespace tintrix {
namespace {

const std::vector<std::string> kTenColors = {"0",   "16711680", "12615808", "16744703", "0",
                                             "255", "65280",    "16777215", "8421504",  "4210816"};

enum TextKind { kAscii = 0, kMixed = 1, kDense = 2 };

// kAscii: English. kMixed: text in several scripts (precomposed accents, Cyrillic, CJK) with a
// combining accent and an emoji now and then. kDense: every kind of character the cutting has
// to get right (combining accents, skin tones, flags, ZWJ sequences) a few characters apart.
std::string MakeText(std::size_t approxChars, TextKind kind) {
  const char* const patterns[] = {
      "The quick brown fox jumps over the lazy dog. ",
      "Gr\xC3\xBC\xC3\x9F"
      "e aus K\xC3\xB6ln, caf\xC3\xA9 cr\xC3\xA8me, "
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD0\xBC\xD0\xB8\xD1\x80, "
      "\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x81\xAE\xE5\xA4\x9C, nai\xCC\x88ve fade "
      "\xF0\x9F\x8E\x89 plain words to go between them. ",
      "Gr\xC3\xBC\xC3\x9F"
      "e caf\xC3\xA9 nai\xCC\x88ve \xE6\x9D\xB1\xE4\xBA\xAC "
      "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD \xF0\x9F\x87\xA9\xF0\x9F\x87\xAA "
      "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB fade! "};
  const std::string pattern = patterns[kind];
  const std::size_t patternChars = SplitCharacters(pattern).size();
  std::string text;
  for (std::size_t chars = 0; chars < approxChars; chars += patternChars) text += pattern;
  return text;
}

struct Input {
  std::string text;
  CharacterText characters = CharacterText::Bytes({});
};

const Input& CachedInput(std::size_t chars, std::int64_t kind) {
  static std::map<std::pair<std::size_t, std::int64_t>, Input> cache;
  Input& input = cache[{chars, kind}];
  if (input.text.empty()) {
    input.text = MakeText(chars, static_cast<TextKind>(kind));
    input.characters = SplitCharacters(input.text);
  }
  return input;
}

// The first `count` of the ten colours.
std::vector<Channels> FirstColors(std::int64_t count) {
  std::vector<Channels> colors;
  for (std::int64_t k = 0; k < count; ++k) {
    colors.push_back(ColorChannels(*ParseColorValue(kTenColors[static_cast<std::size_t>(k)])));
  }
  return colors;
}

// The default fade with `count` of the ten colours.
FadeSettings ColorFade(std::int64_t count, std::int64_t wavy) {
  FadeSettings fade = DefaultFade();
  fade.colorCount = std::to_string(count);
  for (std::size_t k = 0; k < kTenColors.size(); ++k) fade.colors[k] = kTenColors[k];
  fade.wavy = static_cast<int>(wavy);
  return fade;
}

void BM_GenerateFade(benchmark::State& state) {
  const auto chars = static_cast<std::size_t>(state.range(0));
  const std::int64_t colorCount = state.range(1);
  const bool wavy = state.range(2) != 0;
  const Input& input = CachedInput(chars, state.range(3));
  const std::vector<Channels> colors = FirstColors(colorCount);
  ClockSeededRandom random(7);
  FadeHooks hooks;
  hooks.wave = &random;
  // The output string is reused, as a caller fading many texts would: this measures the
  // generator itself. BM_BuildFadeDocument makes a fresh document every time, as the program
  // does, and so also pays for the fresh memory.
  std::string out;
  for (auto _ : state) {
    out.clear();
    if (!GenerateFade(colors, input.characters, wavy, hooks, out).ok()) state.SkipWithError("");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(input.characters.size()));
}

void BM_BuildFadeDocument(benchmark::State& state) {
  const auto chars = static_cast<std::size_t>(state.range(0));
  const Input& input = CachedInput(chars, state.range(3));
  FadeSettings fade = ColorFade(state.range(1), state.range(2));
  fade.italic = 1;
  fade.underlined = 1;
  fade.text = input.text;
  ClockSeededRandom random(7);
  FadeHooks hooks;
  hooks.wave = &random;
  for (auto _ : state) {
    const StatusOr<std::string> document = BuildFadeDocument(fade, hooks);
    if (!document.ok()) state.SkipWithError(document.status().message().c_str());
    benchmark::DoNotOptimize(document->data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(input.characters.size()));
}

// GenerateFade in each markup format (MarkupFormat's order, classic first), on text already
// cut: the formats' cost against classic's. Arguments: format, wave off/on, text kind, and
// the size options (0 none, 1 --merge, 2 --merge --skip-blanks).
void BM_GenerateFormat(benchmark::State& state) {
  const Input& input = CachedInput(1000000, state.range(2));
  const std::vector<Channels> colors = FirstColors(5);
  MarkupOptions options;
  options.format = static_cast<MarkupFormat>(state.range(0));
  options.merge = state.range(3) >= 1;
  options.skipBlanks = state.range(3) >= 2;
  const FadeGenerator generator(colors, state.range(1) != 0, options);
  ClockSeededRandom random(7);
  FadeHooks hooks;
  hooks.wave = &random;
  std::string out;
  for (auto _ : state) {
    out.clear();
    if (!generator.Append(input.characters, hooks, out).ok()) state.SkipWithError("");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(input.characters.size()));
}

// Cutting alone, which BM_BuildFadeDocument includes.
void BM_SplitCharacters(benchmark::State& state) {
  const Input& input = CachedInput(static_cast<std::size_t>(state.range(0)), state.range(1));
  for (auto _ : state) {
    const CharacterText characters = SplitCharacters(input.text);
    benchmark::DoNotOptimize(characters.size());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(input.characters.size()));
}

// The first `chars` characters of a text of the kind.
std::string ShortText(std::size_t chars, TextKind kind) {
  const std::string text = MakeText(chars, kind);
  const CharacterText characters = SplitCharacters(text);
  CharacterText::Cursor cursor(characters);
  std::size_t end = 0;
  for (std::size_t i = 0; i < chars; ++i) end = cursor.Next();
  return text.substr(0, end);
}

constexpr std::size_t kShortChars = 80;
constexpr std::int64_t kShortTexts = 1000;

// kShortTexts texts of 80 characters, one after the other into a reused string.
void BM_GenerateShortFades(benchmark::State& state) {
  const std::string text = ShortText(kShortChars, static_cast<TextKind>(state.range(2)));
  const CharacterText characters = SplitCharacters(text);
  const std::vector<Channels> colors = FirstColors(state.range(0));
  ClockSeededRandom random(7);
  FadeHooks hooks;
  hooks.wave = &random;
  std::string out;
  for (auto _ : state) {
    for (std::int64_t t = 0; t < kShortTexts; ++t) {
      out.clear();
      if (!GenerateFade(colors, characters, state.range(1) != 0, hooks, out).ok()) {
        state.SkipWithError("");
      }
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kShortTexts *
                          static_cast<std::int64_t>(kShortChars));
}

// BM_GenerateFormat on kShortTexts texts of 80 characters: per character, against the same
// format on a million. Arguments: format, text kind, whether the colours are kept between
// texts (FadeHooks::shortColors).
void BM_GenerateShortFormat(benchmark::State& state) {
  const std::string text = ShortText(kShortChars, static_cast<TextKind>(state.range(1)));
  const CharacterText characters = SplitCharacters(text);
  MarkupOptions options;
  options.format = static_cast<MarkupFormat>(state.range(0));
  const FadeGenerator generator(FirstColors(5), false, options);
  ShortFadeColors kept;
  FadeHooks hooks;
  if (state.range(2) != 0) hooks.shortColors = &kept;
  std::string out;
  for (auto _ : state) {
    for (std::int64_t t = 0; t < kShortTexts; ++t) {
      out.clear();
      if (!generator.Append(characters, hooks, out).ok()) state.SkipWithError("");
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kShortTexts *
                          static_cast<std::int64_t>(kShortChars));
}

// kShortTexts documents of 80 characters, each made afresh as the window makes them.
void BM_BuildShortDocuments(benchmark::State& state) {
  FadeSettings fade = ColorFade(state.range(0), state.range(1));
  fade.text = ShortText(kShortChars, static_cast<TextKind>(state.range(2)));
  ClockSeededRandom random(7);
  FadeHooks hooks;
  hooks.wave = &random;
  for (auto _ : state) {
    for (std::int64_t t = 0; t < kShortTexts; ++t) {
      const StatusOr<std::string> document = BuildFadeDocument(fade, hooks);
      if (!document.ok()) state.SkipWithError("no fade");
      benchmark::DoNotOptimize(document->data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kShortTexts *
                          static_cast<std::int64_t>(kShortChars));
}

// BM_GenerateShortFormat as the companion writes lines: the fade markup of kShortTexts texts of
// 80 characters through the stamps and the kept colours, the ASCII ones each turned by one byte
// more than the last. Per character, against BM_GenerateFormat on a million. Arguments: format,
// text kind.
void BM_StampShortFormat(benchmark::State& state) {
  const std::string text = ShortText(kShortChars, static_cast<TextKind>(state.range(1)));
  std::vector<std::string> texts;
  // ASCII turned byte by byte; other texts as they are, as turning them could cut a character.
  const bool ascii = static_cast<TextKind>(state.range(1)) == kAscii;
  for (std::size_t t = 0; t < 64; ++t) {
    texts.push_back(ascii ? text.substr(t) + text.substr(0, t) : text);
  }
  FadeSettings fade = ColorFade(5, 0);
  MarkupOptions options;
  options.format = static_cast<MarkupFormat>(state.range(0));
  const StatusOr<FadeDocument> document = FadeDocument::Create(fade, true, options);
  if (!document.ok()) return state.SkipWithError("no fade");
  DocumentStamps stamps(*document);
  ShortFadeColors kept;
  FadeHooks hooks;
  hooks.shortColors = &kept;  // as the companion's lines
  std::string out;
  for (auto _ : state) {
    for (std::int64_t t = 0; t < kShortTexts; ++t) {
      out.clear();
      if (!stamps.Append(texts[static_cast<std::size_t>(t) % texts.size()], hooks, out).ok()) {
        state.SkipWithError("");
      }
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kShortTexts *
                          static_cast<std::int64_t>(kShortChars));
}

void ShortArguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"colors", "wavy", "text"});
  for (std::int64_t colors : {2, 5, 10}) {
    for (std::int64_t wavy : {0, 1}) {
      for (std::int64_t text : {kAscii, kMixed}) b->Args({colors, wavy, text});
    }
  }
  b->Unit(benchmark::kMicrosecond);
}

// Reads a string in place, without the copy an istringstream makes.
class ViewBuffer : public std::streambuf {
 public:
  explicit ViewBuffer(std::string& bytes) {
    setg(bytes.data(), bytes.data(), bytes.data() + bytes.size());
  }
};

// The companion with the default fade and --markup-only, as a script runs it, on 8,000,000
// characters: 100,000 lines of 80 characters, or all of them on one line.
void BM_FadeTool(benchmark::State& state) {
  const auto lines = static_cast<std::size_t>(state.range(0));
  const auto kind = static_cast<TextKind>(state.range(1));
  const std::size_t totalChars = 8000000;
  const std::string line = ShortText(totalChars / lines, kind);
  std::string input;
  input.reserve((line.size() + 1) * lines);
  for (std::size_t i = 0; i < lines; ++i) input += line + "\n";
  const std::vector<std::string> args = {"--defaults", "--markup-only"};
  // Standard output as the program has it: a file descriptor, here of /dev/null.
  const int devNull = open("/dev/null", O_WRONLY);
  for (auto _ : state) {
    ViewBuffer inBuffer(input);
    std::istream in(&inBuffer);
    std::ostringstream out, err;
    if (RunFadeTool(args, in, out, err, {}, devNull) != 0) state.SkipWithError(err.str().c_str());
  }
  close(devNull);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(totalChars));
}

// A document of about 1 MB through the companion: made from its text (read 0), or read back
// with --read (read 1), in the format of that index; per character of its text.
void BM_ReadBack(benchmark::State& state) {
  const auto format = static_cast<std::size_t>(state.range(0));
  const bool read = state.range(1) != 0;
  const std::vector<std::string> make = {"--defaults",
                                         "--format=" + std::string(kFormats[format].name)};
  // Grow the text until its document holds a megabyte.
  std::string text = "fade me ";
  std::string document;
  while (document.size() < (1u << 20)) {
    text += text;
    std::istringstream in;
    std::ostringstream out, err;
    std::vector<std::string> args = make;
    args.insert(args.end(), {"--", text});
    RunFadeTool(args, in, out, err, {});
    document = out.str();
  }
  std::string input = read ? document : text + "\n";
  const std::vector<std::string> args = read ? std::vector<std::string>{"--read"} : make;
  for (auto _ : state) {
    ViewBuffer inBuffer(input);
    std::istream in(&inBuffer);
    std::ostringstream out, err;
    if (RunFadeTool(args, in, out, err, {}) != 0) state.SkipWithError(err.str().c_str());
    benchmark::DoNotOptimize(out.str());
  }
  state.counters["document_bytes"] = static_cast<double>(document.size());
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void Arguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"chars", "colors", "wavy", "text"});
  for (std::int64_t chars : {1000, 10000, 100000, 1000000, 10000000}) {
    for (std::int64_t colors : {2, 5, 10}) {
      for (std::int64_t wavy : {0, 1}) {
        for (std::int64_t text : {kAscii, kMixed, kDense}) b->Args({chars, colors, wavy, text});
      }
    }
  }
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_GenerateFade)->Apply(Arguments);
BENCHMARK(BM_BuildFadeDocument)->Apply(Arguments);
BENCHMARK(BM_GenerateFormat)
    ->ArgNames({"format", "wavy", "text", "size"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 1}, {kAscii, kMixed}, {0}})
    ->ArgsProduct({{0, 1, 3}, {0}, {kAscii}, {1, 2}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitCharacters)
    ->ArgNames({"chars", "text"})
    ->ArgsProduct({{1000000}, {kAscii, kMixed, kDense}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateShortFades)->Apply(ShortArguments);
BENCHMARK(BM_GenerateShortFormat)
    ->ArgNames({"format", "text", "kept"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8}, {kAscii, kMixed}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StampShortFormat)
    ->ArgNames({"format", "text"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8}, {kAscii, kMixed}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildShortDocuments)->Apply(ShortArguments);
BENCHMARK(BM_ReadBack)
    ->ArgNames({"format", "read"})
    ->ArgsProduct({{0, 3, 6}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FadeTool)
    ->ArgNames({"lines", "text"})
    ->ArgsProduct({{100000, 1}, {kAscii, kMixed}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tintrix

BENCHMARK_MAIN();
