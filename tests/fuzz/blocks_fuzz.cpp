// Blocks of lines on arbitrary bytes: every character gets a place inside the block's fade,
// columns only grow along a line, a line of printable ASCII is one place a character, and the
// companion's --block writes one document a line, whatever the format.
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/fadetool.h"
#include "engine/markupformat.h"
#include "output/blocklayout.h"
#include "output/graphemes.h"
#include "tests/fuzz/fuzzinput.h"

namespace {

using tintrix::BlockMode;
using tintrix::fuzz::Fail;

void CheckPlaces(BlockMode mode, const std::vector<std::string_view>& lines) {
  const tintrix::BlockPlaces places(mode, lines);
  std::vector<std::uint32_t> of;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const tintrix::CharacterText characters = tintrix::SplitCharacters(lines[k]);
    places.Of(k, characters, of);
    if (of.size() != characters.size()) Fail("a place for each character");
    bool printable = true;
    for (const char c : lines[k]) printable = printable && c >= 0x20 && c < 0x7F;
    for (std::size_t j = 0; j < of.size(); ++j) {
      if (of[j] >= places.count()) Fail("a place past the fade");
      if (j > 0 && mode != BlockMode::kLines && of[j] <= of[j - 1])
        Fail("a column that does not grow");
      const std::size_t ascii =
          (mode == BlockMode::kLines ? 0 : j) + (mode == BlockMode::kColumns ? 0 : k);
      if (printable && of[j] != ascii) Fail("a printable line's places");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tintrix::fuzz::FuzzInput input(data, size);
  const std::string options = input.Next();
  const std::string block = input.Rest();
  const auto pick = [&](std::size_t k, std::size_t n) {
    return k < options.size() ? static_cast<unsigned char>(options[k]) % n : 0;
  };
  const auto mode = static_cast<BlockMode>(pick(0, 3));
  const std::vector<std::string_view> lines = tintrix::BlockLines(block);
  for (const std::string_view line : lines) {
    if (line.find('\n') != std::string_view::npos) Fail("a line feed inside a line");
  }
  CheckPlaces(mode, lines);

  const char* const modes[] = {"columns", "lines", "diagonal"};
  const std::vector<std::string> args = {
      "--defaults",
      std::string("--block=") + modes[static_cast<int>(mode)],
      "--format",
      std::string(tintrix::kFormats[pick(1, tintrix::kFormats.size())].name),
      "--colors",
      std::to_string(2 + pick(2, 9)),
      pick(3, 2) ? "--merge" : "--wavy"};
  std::istringstream in(block);
  std::ostringstream out, err;
  if (tintrix::RunFadeTool(args, in, out, err, {}) != 0) Fail("a block that was not faded");
  const std::string documents = out.str();
  std::size_t feeds = 0;
  for (const char c : documents) feeds += c == '\n';
  if (feeds != lines.size()) Fail("not one document a line");
  return 0;
}
