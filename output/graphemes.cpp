#include "output/graphemes.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <bitset>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace tintrix {

namespace {

// ICU's character break iterator decides where characters end. It is accurate but slow to
// start (about 200 ns for each new stretch of text) and walks some 20 ns a character, so it
// is asked only about the stretches that need it.
//
// Most characters join nothing: ASCII, and every code point of break class Other (letters
// with precomposed accents, CJK, Cyrillic, a lone emoji, ...). Every rule that keeps two code
// points together needs one of the other classes on one side (CR LF, extenders, ZWJ, spacing
// marks, prepended marks, Hangul jamo, regional indicators). So between two such "plain" code
// points there is always a boundary, except inside CR LF; the rest of the text lies in
// stretches that start and end on such boundaries and can be cut on their own.
bool IsPlainLookup(UChar32 c) {
  return u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK) == U_GCB_OTHER;
}

bool IsPlain(UChar32 c) {
  if (c < 0) return false;  // an ill-formed byte: left to ICU
  if (c < 0x80) return true;
  if (c > 0xFFFF) return IsPlainLookup(c);
  // A property lookup costs about as much as the rest of a character's work, so the basic
  // plane is looked up once.
  static const std::bitset<0x10000> plain = [] {
    std::bitset<0x10000> bits;
    for (UChar32 cp = 0; cp < 0x10000; ++cp) bits[static_cast<std::size_t>(cp)] = IsPlainLookup(cp);
    return bits;
  }();
  return plain[static_cast<std::size_t>(c)];
}

bool IsAsciiOnly(std::string_view text) {
  // Eight bytes at a time: long texts are mostly ASCII.
  std::size_t i = 0;
  std::uint64_t high = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    high |= word;
  }
  for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
  return (high & 0x8080808080808080ull) == 0;
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
      utext_openUTF8(&m_text, text.data() + from, static_cast<int64_t>(pieceEnd - from), &status);
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

// A stretch for ICU takes in up to this many plain characters that follow it, in case another
// stretch for ICU comes right after: starting ICU costs as much as walking several characters.
constexpr int kPlainRunToCloseStretch = 2;

}  // namespace

CharacterText SplitCharacters(std::string_view utf8) {
  const std::size_t size = utf8.size();
  if (IsAsciiOnly(utf8) && utf8.find("\r\n") == std::string_view::npos) {
    return CharacterText::Bytes(utf8);
  }

  std::vector<std::size_t> ends;
  ends.reserve(size);
  std::unique_ptr<IcuCharacterBreaks> icu;
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int64_t>(size);

  std::size_t segmentStart = 0;  // a certain boundary
  int codePointsInSegment = 0;
  std::size_t stretchStart = SIZE_MAX;  // start of the stretch left to ICU, if one is open
  int plainRun = 0;                     // plain one-code-point segments since then
  bool previousPlain = false;
  bool previousCr = false;

  const auto endSegment = [&](std::size_t end) {
    if (codePointsInSegment == 1 && stretchStart == SIZE_MAX) {
      ends.push_back(end);
    } else {
      if (stretchStart == SIZE_MAX) stretchStart = segmentStart;
      plainRun = codePointsInSegment == 1 ? plainRun + 1 : 0;
      if (plainRun >= kPlainRunToCloseStretch || end == size) {
        if (!icu) icu = std::make_unique<IcuCharacterBreaks>();
        icu->AppendEnds(utf8, stretchStart, end, ends);
        stretchStart = SIZE_MAX;
        plainRun = 0;
      }
    }
    segmentStart = end;
    codePointsInSegment = 0;
  };

  int64_t at = 0;
  while (at < length) {
    const int64_t start = at;
    UChar32 c;
    if (bytes[at] < 0x80) {
      c = bytes[at++];
    } else {
      U8_NEXT(bytes, at, length, c);
    }
    const bool plain = IsPlain(c);
    if (start > 0 && previousPlain && plain && !(previousCr && c == '\n')) {
      if (codePointsInSegment == 1 && stretchStart == SIZE_MAX) {
        // the common case, kept out of endSegment so that it stays inline
        ends.push_back(static_cast<std::size_t>(start));
        segmentStart = static_cast<std::size_t>(start);
        codePointsInSegment = 0;
      } else {
        endSegment(static_cast<std::size_t>(start));
      }
    }
    ++codePointsInSegment;
    previousPlain = plain;
    previousCr = c == '\r';
  }
  endSegment(size);
  std::vector<std::uint64_t> starts(size / 64 + 1);
  starts[0] = 1;
  for (const std::size_t end : ends) starts[end / 64] |= std::uint64_t{1} << (end % 64);
  return CharacterText::WithStarts(utf8, std::move(starts), ends.size());
}

}  // namespace tintrix
