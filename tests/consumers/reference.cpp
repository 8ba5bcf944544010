// The colours the engine gives a text's characters, for the consumers test to hold each
// consumer's reading against:
//
//   tintrix_consumers_reference [FADE OPTIONS] TEXT
//   tintrix_consumers_reference --text-on-stdin [FADE OPTIONS] < TEXT
//
// prints one line per code point of TEXT (all of standard input with --text-on-stdin, for
// texts that are no UTF-8): the code point in decimal and its character's colour as RRGGBB.
// Each ill-formed sequence of the text is one U+FFFD, its maximal subpart taken as ICU and
// the WHATWG encoding standard take it, and has the colour of the character it starts in.
// The text is cut with SplitCharacters; a stand-in with one byte per character (a space for a
// character of blanks, else "x") is faded through RunFadeTool with the given options and
// `--format classic --markup-only --no-wavy`, and its colour tags are read back. So the
// colours, and --skip-blanks' joining of blanks, are the engine's own.
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/fadetool.h"
#include "output/graphemes.h"

namespace {

struct CodePoint {
  std::size_t start;  // its first byte
  UChar32 code;
};

std::vector<CodePoint> CodePoints(std::string_view text) {
  std::vector<CodePoint> codes;
  for (int32_t i = 0, size = static_cast<int32_t>(text.size()); i < size;) {
    const auto start = static_cast<std::size_t>(i);
    UChar32 c;
    U8_NEXT(text.data(), i, size, c);
    codes.push_back({start, c < 0 ? 0xFFFD : c});
  }
  return codes;
}

// A character of White_Space code points only; its ill-formed bytes are none.
bool IsBlank(std::string_view character) {
  const std::vector<CodePoint> codes = CodePoints(character);
  for (const CodePoint& c : codes) {
    if (!u_hasBinaryProperty(c.code, UCHAR_WHITE_SPACE)) return false;
  }
  return !codes.empty();
}

}  // namespace

int main(int argc, char** argv) {
  const bool onStdin = argc >= 2 && std::string_view(argv[1]) == "--text-on-stdin";
  if (argc < 2 || (argc < 3 && !onStdin)) {
    std::cerr << "usage: tintrix_consumers_reference [FADE OPTIONS] TEXT\n"
                 "       tintrix_consumers_reference --text-on-stdin [FADE OPTIONS] < TEXT\n";
    return 2;
  }
  const std::string text = onStdin ? std::string(std::istreambuf_iterator<char>(std::cin), {})
                                   : std::string(argv[argc - 1]);
  const std::vector<CodePoint> textCodes = CodePoints(text);
  const tintrix::CharacterText characters = tintrix::SplitCharacters(text);
  tintrix::CharacterText::Cursor cursor(characters);
  std::vector<std::vector<UChar32>> codes;  // per character: the code points starting in it
  std::string standIn;
  for (std::size_t i = 0, start = 0, next = 0; i < characters.size(); ++i) {
    const std::size_t end = cursor.Next();
    codes.emplace_back();
    for (; next < textCodes.size() && textCodes[next].start < end; ++next) {
      codes.back().push_back(textCodes[next].code);
    }
    standIn += IsBlank(std::string_view(text).substr(start, end - start)) ? ' ' : 'x';
    start = end;
  }

  std::vector<std::string> args(argv + (onStdin ? 2 : 1), argv + argc - (onStdin ? 0 : 1));
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
