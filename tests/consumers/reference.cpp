// The colours the engine gives a text's characters, for the consumers test to hold each
// consumer's reading against:
//
//   tintrix_consumers_reference [FADE OPTIONS] TEXT
//
// prints one line per code point of TEXT: the code point in decimal and its character's colour
// as RRGGBB. The text is cut with SplitCharacters; a stand-in with one byte per character (a
// space for a character of blanks, else "x") is faded through RunFadeTool with the given
// options and `--format classic --markup-only --no-wavy`, and its colour tags are read back.
// So the colours, and --skip-blanks' joining of blanks, are the engine's own.
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/fadetool.h"
#include "output/graphemes.h"

namespace {

std::vector<UChar32> CodePoints(std::string_view text) {
  std::vector<UChar32> codes;
  for (int32_t i = 0, size = static_cast<int32_t>(text.size()); i < size;) {
    UChar32 c;
    U8_NEXT(text.data(), i, size, c);
    codes.push_back(c < 0 ? 0xFFFD : c);
  }
  return codes;
}

bool IsBlank(const std::vector<UChar32>& codes) {
  for (const UChar32 c : codes) {
    if (!u_hasBinaryProperty(c, UCHAR_WHITE_SPACE)) return false;
  }
  return !codes.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: tintrix_consumers_reference [FADE OPTIONS] TEXT\n";
    return 2;
  }
  const std::string text = argv[argc - 1];
  const tintrix::CharacterText characters = tintrix::SplitCharacters(text);
  tintrix::CharacterText::Cursor cursor(characters);
  std::vector<std::vector<UChar32>> codes;  // per character
  std::string standIn;
  for (std::size_t i = 0, start = 0; i < characters.size(); ++i) {
    const std::size_t end = cursor.Next();
    codes.push_back(CodePoints(std::string_view(text).substr(start, end - start)));
    standIn += IsBlank(codes.back()) ? ' ' : 'x';
    start = end;
  }

  std::vector<std::string> args(argv + 1, argv + argc - 1);
  args.insert(args.end(), {"--format", "classic", "--markup-only", "--no-wavy", "--", standIn});
  std::istringstream in;
  std::ostringstream out, err;
  const int status =
      tintrix::RunFadeTool(args, in, out, err, [] { return tintrix::FadeSettings{}; });
  if (status != 0) {
    std::cerr << "tintrix_consumers_reference: the fade failed: " << err.str();
    return 1;
  }

  // `<Font Color=#RRGGBB>` sets the colour of the stand-in characters after it.
  constexpr std::string_view kTag = "<Font Color=#";
  const std::string document = out.str();
  std::string colour;
  std::size_t character = 0;
  for (std::size_t i = 0; i < document.size() && document[i] != '\n'; ++i) {
    if (document.compare(i, kTag.size(), kTag) == 0 && i + kTag.size() + 7 <= document.size() &&
        document[i + kTag.size() + 6] == '>') {
      colour = document.substr(i + kTag.size(), 6);
      i += kTag.size() + 6;
    } else if (character < standIn.size() && document[i] == standIn[character] && !colour.empty()) {
      for (const UChar32 c : codes[character]) std::cout << c << ' ' << colour << '\n';
      ++character;
    } else {
      std::cerr << "tintrix_consumers_reference: unexpected byte " << i << " in " << document;
      return 1;
    }
  }
  if (character != standIn.size()) {
    std::cerr << "tintrix_consumers_reference: " << character << " of " << standIn.size()
              << " characters read back\n";
    return 1;
  }
  return 0;
}
