#include "output/graphemes.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <climits>
#include <memory>
#include <stdexcept>

namespace tintrix {

namespace {

bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

// Between two ASCII characters there is always a character boundary, except inside CR LF:
// every rule that joins characters needs a non-ASCII character on one side. So ICU is only
// asked about the stretches around non-ASCII text, each of which starts and ends on a
// boundary and can therefore be cut on its own.
bool AsciiBoundaryBefore(std::string_view text, std::size_t i) {
  return IsAscii(text[i - 1]) && IsAscii(text[i]) && !(text[i - 1] == '\r' && text[i] == '\n');
}

class IcuCharacterBreaks {
 public:
  IcuCharacterBreaks() {
    UErrorCode status = U_ZERO_ERROR;
    m_iterator.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) throw std::runtime_error("ICU has no character break rules");
  }
  ~IcuCharacterBreaks() { utext_close(&m_text); }
  IcuCharacterBreaks(const IcuCharacterBreaks&) = delete;
  IcuCharacterBreaks& operator=(const IcuCharacterBreaks&) = delete;

  // Appends the ends of the characters of text[from, to), both of which are boundaries.
  void AppendEnds(std::string_view text, std::size_t from, std::size_t to,
                  std::vector<std::size_t>& ends) {
    // ICU counts in 32-bit offsets; longer stretches go in pieces, each restarting at the last
    // boundary but one of the piece before, where the rules have no memory of what precedes.
    constexpr std::size_t kMaxPiece = INT32_MAX / 2;
    while (from < to) {
      const std::size_t pieceEnd = to - from > kMaxPiece ? from + kMaxPiece : to;
      UErrorCode status = U_ZERO_ERROR;
      utext_openUTF8(&m_text, text.data() + from, static_cast<int64_t>(pieceEnd - from),
                     &status);
      m_iterator->setText(&m_text, status);
      if (U_FAILURE(status)) throw std::runtime_error("ICU cannot take the text");
      const std::size_t firstNew = ends.size();
      for (int32_t end = m_iterator->next(); end != icu::BreakIterator::DONE;
           end = m_iterator->next()) {
        ends.push_back(from + static_cast<std::size_t>(end));
      }
      if (pieceEnd == to || ends.size() - firstNew < 2) {
        from = pieceEnd;
      } else {
        ends.pop_back();  // the piece's end is no boundary of the whole text
        from = ends.back();
      }
    }
  }

 private:
  std::unique_ptr<icu::BreakIterator> m_iterator;
  UText m_text = UTEXT_INITIALIZER;
};

}  // namespace

CharacterText SplitCharacters(std::string_view utf8) {
  std::size_t i = 0;
  const std::size_t size = utf8.size();
  while (i < size && IsAscii(utf8[i]) && (i == 0 || AsciiBoundaryBefore(utf8, i))) ++i;
  if (i == size) return CharacterText::Bytes(utf8);

  std::vector<std::size_t> ends;
  ends.reserve(size);
  IcuCharacterBreaks icu;
  std::size_t start = 0;  // a boundary: the start of the next character
  while (start < size) {
    if (start + 1 == size ? IsAscii(utf8[start]) : AsciiBoundaryBefore(utf8, start + 1)) {
      ends.push_back(++start);
      continue;
    }
    std::size_t end = start + 1;
    while (end < size && !AsciiBoundaryBefore(utf8, end)) ++end;
    icu.AppendEnds(utf8, start, end, ends);
    start = end;
  }
  return CharacterText::WithEnds(utf8, std::move(ends));
}

}  // namespace tintrix
