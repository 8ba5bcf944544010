// Fade speed, reported per character (items): GenerateFade alone on text already cut into
// characters, and BuildFadeDocument, which also cuts the text and wraps the markup.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "engine/fadegenerator.h"
#include "output/fadedocument.h"
#include "output/graphemes.h"

namespace tintrix {
namespace {

const std::vector<std::string> kTenColors = {"0",        "16711680", "12615808", "16744703",
                                             "0",        "255",      "65280",    "16777215",
                                             "8421504",  "4210816"};

// ASCII, or a mix of Latin with accents (precomposed and combining), CJK, emoji with skin
// tones and ZWJ, and flags: every kind of character the segmentation has to get right.
std::string MakeText(std::size_t approxChars, bool unicode) {
  const std::string pattern =
      unicode ? "Gr\xC3\xBC\xC3\x9F" "e caf\xC3\xA9 nai\xCC\x88ve \xE6\x9D\xB1\xE4\xBA\xAC "
                "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD \xF0\x9F\x87\xA9\xF0\x9F\x87\xAA "
                "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB fade! "
              : "The quick brown fox jumps over the lazy dog. ";
  std::string text;
  while (SplitCharacters(text).size() < approxChars) {
    text += pattern;
    if (text.size() > 64 && SplitCharacters(text).size() * 2 < approxChars) text += text;
  }
  return text;
}

struct Input {
  std::string text;
  CharacterText characters = CharacterText::Bytes({});
};

const Input& CachedInput(std::size_t chars, bool unicode) {
  static std::map<std::pair<std::size_t, bool>, Input> cache;
  Input& input = cache[{chars, unicode}];
  if (input.text.empty()) {
    input.text = MakeText(chars, unicode);
    input.characters = SplitCharacters(input.text);
  }
  return input;
}

void BM_GenerateFade(benchmark::State& state) {
  const auto chars = static_cast<std::size_t>(state.range(0));
  const int colorCount = static_cast<int>(state.range(1));
  const bool wavy = state.range(2) != 0;
  const bool unicode = state.range(3) != 0;
  const Input& input = CachedInput(chars, unicode);
  std::vector<Channels> colors;
  for (int k = 0; k < colorCount; ++k) {
    colors.push_back(ColorChannels(*ParseColorValue(kTenColors[static_cast<std::size_t>(k)])));
  }
  ClockSeededRandom random(7);
  const FadeHooks hooks{&random, {}};
  for (auto _ : state) {
    std::string out;
    GenerateFade(colors, input.characters, wavy, hooks, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(input.characters.size()));
}

void BM_BuildFadeDocument(benchmark::State& state) {
  const auto chars = static_cast<std::size_t>(state.range(0));
  const Input& input = CachedInput(chars, state.range(3) != 0);
  FadeSettings fade = DefaultFade();
  fade.NumberColors = std::to_string(state.range(1));
  for (std::size_t k = 0; k < kTenColors.size(); ++k) fade.Colors[k] = kTenColors[k];
  fade.WaVy = static_cast<int>(state.range(2));
  fade.Italic = 1;
  fade.Underlined = 1;
  fade.TextToFade = input.text;
  ClockSeededRandom random(7);
  const FadeHooks hooks{&random, {}};
  for (auto _ : state) {
    std::string document;
    const Status status = BuildFadeDocument(fade, hooks, document);
    if (!status.ok()) state.SkipWithError(status.message().c_str());
    benchmark::DoNotOptimize(document.data());
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(input.characters.size()));
}

void Arguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"chars", "colors", "wavy", "unicode"});
  for (std::int64_t chars : {1000, 10000, 100000, 1000000, 10000000}) {
    for (std::int64_t colors : {2, 5, 10}) {
      for (std::int64_t wavy : {0, 1}) {
        for (std::int64_t unicode : {0, 1}) b->Args({chars, colors, wavy, unicode});
      }
    }
  }
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_GenerateFade)->Apply(Arguments);
BENCHMARK(BM_BuildFadeDocument)->Apply(Arguments);

}  // namespace
}  // namespace tintrix

BENCHMARK_MAIN();
