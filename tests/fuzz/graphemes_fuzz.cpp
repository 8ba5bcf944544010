// Segmentation and the fade on arbitrary bytes: the characters put together give back the
// input, the portable cut and the AVX2 one (where the processor has it) agree, and the fade
// has one colour tag per character and the characters in order.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/cpufeatures.h"
#include "engine/fadegenerator.h"
#include "output/graphemes.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tintrix::fuzz::Fail;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const tintrix::CharacterText characters = tintrix::SplitCharacters(text);
  std::string joined;
  std::vector<std::size_t> ends;
  tintrix::CharacterText::Cursor cursor(characters);
  for (std::size_t i = 0, start = 0; i < characters.size(); ++i) {
    const std::size_t end = cursor.Next();
    if (end <= start) Fail("an empty character");
    joined.append(text, start, end - start);
    ends.push_back(end);
    start = end;
  }
  if (joined != text) Fail("the characters do not give back the text");
  if (tintrix::Avx2Available()) {
    const tintrix::CharacterText portable =
        tintrix::SplitCharacters(text, tintrix::CutPath::kPortable);
    const tintrix::CharacterText avx2 = tintrix::SplitCharacters(text, tintrix::CutPath::kAvx2);
    if (portable.bytes() != avx2.bytes() || portable.size() != avx2.size() ||
        portable.starts() != avx2.starts()) {
      Fail("the portable and the AVX2 cut differ");
    }
  }

  const int count = size == 0 ? 2 : tintrix::kFadeColorCounts[data[0] % 5];
  const std::vector<std::string> colors = {"0",   "16711680", "12615808", "16744703", "0",
                                           "255", "65280",    "16777215", "8421504",  "7"};
  std::string markup;
  if (!tintrix::FadeRequest(*tintrix::ColorCount::Of(count), colors, characters, false, {}, markup)
           .ok()) {
    Fail("a fade of valid colours failed");
  }
  constexpr std::string_view kTag = "<Font Color=#";
  constexpr std::size_t kTagSize = kTag.size() + 7;
  std::size_t at = 0;
  for (std::size_t i = 0; i < characters.size(); ++i) {
    if (markup.compare(at, kTag.size(), kTag) != 0 || markup[at + kTagSize - 1] != '>') {
      Fail("a character without its colour tag");
    }
    const std::size_t start = i == 0 ? 0 : ends[i - 1];
    const std::size_t length = ends[i] - start;
    if (markup.compare(at + kTagSize, length, text, start, length) != 0) {
      Fail("a character changed in the fade");
    }
    at += kTagSize + length;
  }
  if (at != markup.size()) Fail("more markup than characters");
  return 0;
}
