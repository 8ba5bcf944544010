#include "output/graphemes.h"

#include <unicode/uchar.h>
#include <unicode/ucpmap.h>
#include <unicode/ucptrie.h>
#include <unicode/umutablecptrie.h>
#include <unicode/uscript.h>
#include <unicode/uset.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tintrix {

namespace {

// What the character break rules see of a code point: its Grapheme_Cluster_Break value, split
// further where a rule needs more. Extend splits by combining class and Other by
// Extended_Pictographic; kVirama and kConsonant are the virama (an Extend with a combining
// class) and the consonants of the six scripts whose conjuncts ICU 72 keeps whole.
enum Class : std::uint8_t {
  kOther,
  kCr,
  kLf,
  kControl,
  kExtend,      // combining class 0
  kExtendMark,  // combining class not 0: part of a conjunct
  kVirama,
  kZwj,
  kRegional,
  kPrepend,
  kSpacingMark,
  kL,
  kV,
  kT,
  kLv,
  kLvt,
  kPictographic,
  kConsonant,
  kClassCount
};

// What the classes of two neighbours say about the boundary between them.
enum Rule : std::uint8_t { kBreak, kJoin, kJoinAfterPictographZwj, kJoinOddRegional, kJoinLinked };

Class ClassOf(std::uint32_t graphemeBreak) {
  switch (graphemeBreak) {
    case U_GCB_CR:
      return kCr;
    case U_GCB_LF:
      return kLf;
    case U_GCB_CONTROL:
      return kControl;
    case U_GCB_EXTEND:
    case U_GCB_E_MODIFIER:
      return kExtend;
    case U_GCB_ZWJ:
      return kZwj;
    case U_GCB_REGIONAL_INDICATOR:
      return kRegional;
    case U_GCB_PREPEND:
      return kPrepend;
    case U_GCB_SPACING_MARK:
      return kSpacingMark;
    case U_GCB_L:
      return kL;
    case U_GCB_V:
      return kV;
    case U_GCB_T:
      return kT;
    case U_GCB_LV:
      return kLv;
    case U_GCB_LVT:
      return kLvt;
    default:
      return kOther;
  }
}

void Check(UErrorCode status) {
  if (U_FAILURE(status)) throw std::runtime_error("ICU has no character break data");
}

bool InConjunctScript(UChar32 c) {
  UErrorCode status = U_ZERO_ERROR;
  const UScriptCode script = uscript_getScript(c, &status);
  return script == USCRIPT_DEVANAGARI || script == USCRIPT_BENGALI || script == USCRIPT_GUJARATI ||
         script == USCRIPT_ORIYA || script == USCRIPT_TELUGU || script == USCRIPT_MALAYALAM;
}

// Calls visit(start, end, value) for every range of code points that `map` gives one value.
template <typename Visit>
void ForEachRange(const UCPMap* map, Visit visit) {
  std::uint32_t value = 0;
  for (UChar32 start = 0, end;
       (end = ucpmap_getRange(map, start, UCPMAP_RANGE_NORMAL, 0, nullptr, nullptr, &value)) >= 0;
       start = end + 1) {
    visit(start, end, value);
  }
}

// The class of every code point, from ICU's property data, in ICU's fast lookup structure.
// An ill-formed UTF-8 sequence reads as U+FFFD does, as ICU's own iterator reads it.
const UCPTrie* BuildClassTrie() {
  UErrorCode status = U_ZERO_ERROR;
  UMutableCPTrie* classes = umutablecptrie_open(kOther, kOther, &status);
  Check(status);
  const auto set = [&](UChar32 start, UChar32 end, Class from, Class to) {
    for (UChar32 c = start; c <= end; ++c) {
      if (umutablecptrie_get(classes, c) == from) umutablecptrie_set(classes, c, to, &status);
    }
  };
  ForEachRange(u_getIntPropertyMap(UCHAR_GRAPHEME_CLUSTER_BREAK, &status),
               [&](UChar32 start, UChar32 end, std::uint32_t value) {
                 if (ClassOf(value) != kOther) {
                   umutablecptrie_setRange(classes, start, end, ClassOf(value), &status);
                 }
               });
  Check(status);
  ForEachRange(u_getIntPropertyMap(UCHAR_CANONICAL_COMBINING_CLASS, &status),
               [&](UChar32 start, UChar32 end, std::uint32_t value) {
                 if (value != 0) set(start, end, kExtend, kExtendMark);
               });
  Check(status);
  const USet* pictographs = u_getBinaryPropertySet(UCHAR_EXTENDED_PICTOGRAPHIC, &status);
  Check(status);
  for (int32_t i = 0, n = uset_getRangeCount(pictographs); i < n; ++i) {
    UChar32 start = 0, end = 0;
    uset_getItem(pictographs, i, &start, &end, nullptr, 0, &status);
    set(start, end, kOther, kPictographic);
  }
  ForEachRange(u_getIntPropertyMap(UCHAR_INDIC_SYLLABIC_CATEGORY, &status),
               [&](UChar32 start, UChar32 end, std::uint32_t value) {
                 if (value != U_INSC_VIRAMA && value != U_INSC_CONSONANT) return;
                 for (UChar32 c = start; c <= end; ++c) {
                   if (!InConjunctScript(c)) continue;
                   if (value == U_INSC_VIRAMA) set(c, c, kExtendMark, kVirama);
                   if (value == U_INSC_CONSONANT) set(c, c, kOther, kConsonant);
                 }
               });
  Check(status);
  const UCPTrie* trie =
      umutablecptrie_buildImmutable(classes, UCPTRIE_TYPE_FAST, UCPTRIE_VALUE_BITS_8, &status);
  umutablecptrie_close(classes);
  Check(status);
  return trie;
}

// Held for the life of the program.
const UCPTrie& ClassTrie() {
  static const UCPTrie* const trie = BuildClassTrie();
  return *trie;
}

constexpr bool IsAnyOf(Class x, std::initializer_list<Class> set) {
  for (const Class s : set) {
    if (x == s) return true;
  }
  return false;
}

// Whether Hangul jamo or syllables of classes p and c, in this order, make one syllable.
constexpr bool JoinsHangul(Class p, Class c) {
  return (p == kL && IsAnyOf(c, {kL, kV, kLv, kLvt})) ||
         (IsAnyOf(p, {kLv, kV}) && IsAnyOf(c, {kV, kT})) || (IsAnyOf(p, {kLvt, kT}) && c == kT);
}

// The boundary rules of ICU 72's root character break iterator, for a code point of class c
// after one of class p: CR LF stays whole; a break after and before controls; Hangul
// syllables; marks, ZWJ and spacing marks join what precedes, prepended marks what follows;
// emoji ZWJ sequences, pairs of regional indicators and conjuncts (consonant, virama,
// consonant) by the state they need.
constexpr Rule RuleBetween(Class p, Class c) {
  if (p == kCr && c == kLf) return kJoin;
  if (IsAnyOf(p, {kCr, kLf, kControl}) || IsAnyOf(c, {kCr, kLf, kControl})) return kBreak;
  if (JoinsHangul(p, c)) return kJoin;
  if (IsAnyOf(c, {kExtend, kExtendMark, kVirama, kZwj, kSpacingMark}) || p == kPrepend) {
    return kJoin;
  }
  if (c == kConsonant) return kJoinLinked;
  if (p == kZwj && c == kPictographic) return kJoinAfterPictographZwj;
  if (p == kRegional && c == kRegional) return kJoinOddRegional;
  return kBreak;
}

// The rules for each pair of classes.
constexpr std::array<std::array<Rule, kClassCount>, kClassCount> MakeRules() {
  std::array<std::array<Rule, kClassCount>, kClassCount> rules{};
  for (int p = 0; p < kClassCount; ++p) {
    for (int c = 0; c < kClassCount; ++c) {
      rules[static_cast<std::size_t>(p)][static_cast<std::size_t>(c)] =
          RuleBetween(static_cast<Class>(p), static_cast<Class>(c));
    }
  }
  return rules;
}
constexpr auto kRules = MakeRules();

// The class of each ASCII byte.
constexpr std::array<Class, 128> MakeAsciiClasses() {
  std::array<Class, 128> classes{};
  for (int b = 0; b < 0x20; ++b) classes[static_cast<std::size_t>(b)] = kControl;
  classes[0x7F] = kControl;
  classes['\r'] = kCr;
  classes['\n'] = kLf;
  return classes;
}
constexpr auto kAsciiClasses = MakeAsciiClasses();

// What the rules remember of the text before a code point: the previous class, whether a
// pictograph with marks (and a ZWJ) ends there, whether an odd number of regional indicators
// does, and whether a consonant (and a virama) with marks does.
struct Memory {
  enum Emoji : std::uint8_t { kNoEmoji, kPictograph, kAfterZwj };
  enum Conjunct : std::uint8_t { kNoConjunct, kAfterConsonant, kLinked };

  Class previous = kControl;  // the start of the text breaks like the end of a control
  Emoji emoji = kNoEmoji;
  bool oddRegional = false;
  Conjunct conjunct = kNoConjunct;

  constexpr bool operator==(const Memory&) const = default;

  // Whether a character ends before a code point of class c; remembers c.
  constexpr bool BreaksBefore(Class c) {
    const Rule rule = kRules[previous][c];
    const bool join = rule == kJoin || (rule == kJoinAfterPictographZwj && emoji == kAfterZwj) ||
                      (rule == kJoinOddRegional && oddRegional) ||
                      (rule == kJoinLinked && conjunct == kLinked);
    oddRegional = c == kRegional && !(previous == kRegional && oddRegional);
    if (c == kPictographic ||
        (emoji == kPictograph && (c == kExtend || c == kExtendMark || c == kVirama))) {
      emoji = kPictograph;
    } else {
      emoji = emoji == kPictograph && c == kZwj ? kAfterZwj : kNoEmoji;
    }
    if (c == kConsonant) {
      conjunct = kAfterConsonant;
    } else if (conjunct != kNoConjunct && c == kVirama) {
      conjunct = kLinked;
    } else if (conjunct == kNoConjunct || (c != kExtendMark && c != kZwj)) {
      conjunct = kNoConjunct;
    }
    previous = c;
    return !join;
  }
};

// The rules as one table, so that a code point costs one lookup and no branch: the memories
// that can occur, numbered from the start of the text (0), and for each and each class the
// next one, times two, plus one where a character starts.
struct Automaton {
  static constexpr std::size_t kMaxStates = 64;
  std::array<std::array<std::uint8_t, kClassCount>, kMaxStates> next{};
  std::size_t states = 0;
  std::uint8_t plain = 0;  // after a plain code point (class Other), whatever came before
};

constexpr Automaton MakeAutomaton() {
  Automaton automaton;
  std::array<Memory, Automaton::kMaxStates> memories{};
  memories[automaton.states++] = Memory{};
  for (std::size_t s = 0; s < automaton.states; ++s) {
    for (int c = 0; c < kClassCount; ++c) {
      Memory memory = memories[s];
      const bool breaks = memory.BreaksBefore(static_cast<Class>(c));
      std::size_t index = 0;
      while (index < automaton.states && !(memories[index] == memory)) ++index;
      if (index == automaton.states) memories[automaton.states++] = memory;
      automaton.next[s][static_cast<std::size_t>(c)] =
          static_cast<std::uint8_t>(index * 2 + (breaks ? 1 : 0));
    }
  }
  automaton.plain = automaton.next[0][kOther] >> 1;
  return automaton;
}
constexpr Automaton kAutomaton = MakeAutomaton();

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

// How many of the eight bytes of `word`, from the first in memory, are printable ASCII
// (0x20 ... 0x7E) before one that is not.
unsigned LeadingPrintable(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  // The high bit of each byte of low + 0x60 is set for a byte of 0x20 ... 0x7F, that of low + 1
  // for 0x7F; no carry passes between bytes, whose high bits are cleared first.
  const std::uint64_t low = word & ~kHigh;
  const std::uint64_t printable = (low + 0x60 * kOnes) & ~(low + kOnes) & ~word & kHigh;
  return static_cast<unsigned>(std::countr_zero(~printable & kHigh)) / 8;
}

// Where the cut has got to: the next byte of the text, its end, and the automaton's state.
// The steps below take it by reference and are always inlined, so that it lives in registers.
struct Cut {
  const std::uint8_t* p;
  const std::uint8_t* end;
  std::uint8_t state = 0;
};

// How many of the bytes from p, up to eight and at most `room`, are printable ASCII; 0 also
// when fewer than eight bytes are left before `end`.
[[gnu::always_inline]] inline unsigned PrintableRun(const std::uint8_t* p, const std::uint8_t* end,
                                                    unsigned room) {
  std::uint64_t word;
  if (end - p < 8) return 0;
  std::memcpy(&word, p, sizeof word);
  if ((word & 0x80) != 0) return 0;  // a multi-byte sequence: no need to look further
  return std::min<unsigned>(LeadingPrintable(word), room);
}

// Takes one code point and returns its class. An ill-formed UTF-8 sequence reads as U+FFFD.
[[gnu::always_inline]] inline std::uint8_t TakeClass(Cut& cut, const UCPTrie* trie) {
  if (*cut.p < 0x80) return kAsciiClasses[*cut.p++];
  std::uint8_t c;
  UCPTRIE_FAST_U8_NEXT(trie, UCPTRIE_8, cut.p, cut.end, c);
  return c;
}

// Takes one code point and returns 1 when a character starts with it, else 0.
[[gnu::always_inline]] inline std::uint64_t TakeCodePoint(Cut& cut, const UCPTrie* trie) {
  const std::uint8_t c = TakeClass(cut, trie);
  // Plain code points (class Other) are nearly all of them, and after one the rules remember
  // nothing: taking them apart keeps each lookup from waiting on the one before.
  if (c == kOther) [[likely]] {
    const std::uint64_t starts = kAutomaton.next[cut.state][kOther] & 1u;
    cut.state = kAutomaton.plain;
    return starts;
  }
  const std::uint8_t next = kAutomaton.next[cut.state][c];
  cut.state = next >> 1;
  return next & 1u;
}

// The starts of characters among the 64 bytes of the text from `chunk` (fewer at its end), one
// bit a byte, the first byte's lowest, one code point at a time: exact for any bytes, and
// only needed where a continuation byte stands alone. The cut
// starts at a code point in the chunk and stops at the first one past it. The bits are
// gathered in a register: or-ing them into memory one by one would make each wait for the one
// before.
[[gnu::noinline]] std::uint64_t SlowChunkStarts(Cut& cut, const std::uint8_t* chunk,
                                                const UCPTrie* trie) {
  const std::uint8_t* const chunkEnd = cut.end - chunk > 64 ? chunk + 64 : cut.end;
  std::uint64_t bits = 0;
  while (cut.p < chunkEnd) {
    const auto bit = static_cast<unsigned>(cut.p - chunk);
    // Runs of printable ASCII are most of most texts: each byte starts a character, unless the
    // first follows a prepended mark. Up to eight at a time, as far as their bits share a word.
    if (const unsigned run = PrintableRun(cut.p, cut.end, 64 - bit); run > 0) {
      const std::uint64_t first = kAutomaton.next[cut.state][kOther] & 1;
      bits |= ((((std::uint64_t{1} << run) - 1) & ~std::uint64_t{1}) | first) << bit;
      cut.state = kAutomaton.plain;
      cut.p += run;
      continue;
    }
    bits |= TakeCodePoint(cut, trie) << bit;
  }
  return bits;
}

// What the cut needs to know of 64 bytes, bit i for byte i.
struct ChunkMasks {
  std::uint64_t continuation;  // 0x80 ... 0xBF
  std::uint64_t unprintable;   // not 0x20 ... 0x7E
  // The continuation bytes that the lead bytes ask for (one after 0xC0 ... 0xFF, two after
  // 0xE0 ... 0xFF, three after 0xF0 ... 0xFF), here and in the three bytes after the chunk.
  std::uint64_t asked;
  std::uint64_t askedNext;
};

// The bytes' high bits, continuation bytes, printable ASCII and bits 5 and 4, as 64-bit masks.
struct ByteBits {
  std::uint64_t high, continuation, printable, bit5, bit4;
};

inline ByteBits ReadByteBits(const std::uint8_t* bytes) {
  ByteBits b{};
#if defined(__SSE2__)
  // Signed comparisons: the bytes from 0x80 on are negative, the continuation bytes below -64.
  // A byte plus one is above 0x20 (signed) just for printable ASCII. Shifting 16-bit lanes left
  // brings a lower bit of each byte to its top, where movemask reads it.
  const __m128i belowLeads = _mm_set1_epi8(-64);
  const __m128i one = _mm_set1_epi8(1);
  const __m128i space = _mm_set1_epi8(0x20);
  for (unsigned k = 0; k < 4; ++k) {
    const __m128i v =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + std::size_t{16} * k));
    const auto bitsOf = [k](__m128i m) {
      return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(m))} << (16 * k);
    };
    b.high |= bitsOf(v);
    b.continuation |= bitsOf(_mm_cmpgt_epi8(belowLeads, v));
    b.printable |= bitsOf(_mm_cmpgt_epi8(_mm_add_epi8(v, one), space));
    b.bit5 |= bitsOf(_mm_slli_epi16(v, 2));
    b.bit4 |= bitsOf(_mm_slli_epi16(v, 3));
  }
#else
  for (unsigned i = 0; i < 64; ++i) {
    const unsigned byte = bytes[i];
    b.high |= std::uint64_t{byte >= 0x80} << i;
    b.continuation |= std::uint64_t{(byte & 0xC0) == 0x80} << i;
    b.printable |= std::uint64_t{byte >= 0x20 && byte < 0x7F} << i;
    b.bit5 |= std::uint64_t{(byte & 0x20) != 0} << i;
    b.bit4 |= std::uint64_t{(byte & 0x10) != 0} << i;
  }
#endif
  return b;
}

inline ChunkMasks MaskChunk(const std::uint8_t* bytes) {
  const ByteBits b = ReadByteBits(bytes);
  const std::uint64_t leads = b.high & ~b.continuation;
  const std::uint64_t longLeads = leads & b.bit5;
  const std::uint64_t longestLeads = longLeads & b.bit4;
  return {b.continuation, ~b.printable, leads << 1 | longLeads << 2 | longestLeads << 3,
          leads >> 63 | longLeads >> 62 | longestLeads >> 61};
}

// The states after which a plain code point joins the one before (a prepended mark's).
constexpr std::array<bool, Automaton::kMaxStates> MakeJoinsPlain() {
  std::array<bool, Automaton::kMaxStates> joins{};
  for (std::size_t s = 0; s < kAutomaton.states; ++s) {
    joins[s] = (kAutomaton.next[s][kOther] & 1) == 0;
  }
  return joins;
}
constexpr auto kJoinsPlain = MakeJoinsPlain();

// A code point's class and its length in bytes. kIrregular: an ill-formed sequence, or one
// shorter than its first byte tells.
constexpr std::uint8_t kIrregular = kClassCount;
struct Taken {
  std::uint8_t c;
  std::uint8_t length;
};

// What the byte that starts a code point tells of its class: nothing (kLookUp),
// or that every code point it starts is plain (kPlain), or, for the first byte of three, that
// the code points of some second bytes are (kPlainBlocks).
enum LeadKind : std::uint8_t { kLookUp, kPlain, kPlainBlocks };

// The trie, with the lead bytes whose code points are all plain, as the trie's data says. A
// lead byte with restrictions on the byte after it (0xE0, 0xED, 0xF0 ... ) goes through the
// rules, whose reading checks them.
struct Lookup {
  const UCPTrie* trie;
  std::array<LeadKind, 256> leads{};
  std::array<bool, 1024> plainBlocks{};  // by code point / 64, below U+10000
  // The classes of U+1F000 ... U+1FFFF, the emoji and their modifiers, without the trie's
  // lookup of four-byte sequences, a call.
  std::array<std::uint8_t, 4096> emoji{};
};

bool AllPlain(const UCPTrie* trie, UChar32 first, UChar32 last) {
  std::uint32_t value = 0;
  return ucptrie_getRange(trie, first, UCPMAP_RANGE_NORMAL, 0, nullptr, nullptr, &value) >= last &&
         value == kOther;
}

Lookup BuildLookup() {
  Lookup lookup{&ClassTrie()};
  const UCPTrie* trie = lookup.trie;
  for (UChar32 block = 0; block < 1024; ++block) {
    lookup.plainBlocks[static_cast<std::size_t>(block)] =
        AllPlain(trie, block * 64, block * 64 + 63);
  }
  for (UChar32 c = 0; c < 4096; ++c) {
    lookup.emoji[static_cast<std::size_t>(c)] =
        static_cast<std::uint8_t>(ucptrie_get(trie, 0x1F000 + c));
  }
  for (unsigned lead = 0xC2; lead <= 0xDF; ++lead) {
    if (lookup.plainBlocks[lead & 0x1F]) lookup.leads[lead] = kPlain;
  }
  for (unsigned lead = 0xE1; lead <= 0xEF; ++lead) {
    if (lead == 0xED) continue;
    const std::size_t first = std::size_t{lead & 0xF} << 6;
    const auto blocks = lookup.plainBlocks.begin() + static_cast<std::ptrdiff_t>(first);
    if (std::all_of(blocks, blocks + 64, [](bool plain) { return plain; })) {
      lookup.leads[lead] = kPlain;
    } else if (std::any_of(blocks, blocks + 64, [](bool plain) { return plain; })) {
      lookup.leads[lead] = kPlainBlocks;
    }
  }
  return lookup;
}

const Lookup& TheLookup() {
  static const Lookup lookup = BuildLookup();
  return lookup;
}

// Any code point as the trie's own reader takes it: four-byte ones, ill-formed bytes and
// those at the text's end. Apart, so that the common cases keep their registers.
[[gnu::noinline]] Taken TakeAny(const std::uint8_t* p, const std::uint8_t* end,
                                const UCPTrie* trie) {
  Cut cut{p, end};
  const std::uint8_t c = TakeClass(cut, trie);
  const auto length = static_cast<std::uint8_t>(cut.p - p);
  const unsigned lead = *p;
  const unsigned told = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return {length == told ? c : kIrregular, length};
}

// The code point at `bytes` (a copy of the text at `p`, readable three bytes on), which is
// not printable ASCII. Two- and three-byte ones, the letters of most scripts, are read here
// as the trie's reader would, and the emoji.
[[gnu::always_inline]] inline Taken TakeCode(const std::uint8_t* bytes, const std::uint8_t* p,
                                             const std::uint8_t* end, const Lookup& lookup) {
  const unsigned lead = bytes[0];
  if (lead < 0x80) return {kAsciiClasses[lead], 1};
  const UCPTrie* trie = lookup.trie;
  const unsigned t1 = bytes[1] ^ 0x80u;
  if (lead - 0xC2 < 0x1E && t1 < 0x40) {
    return {trie->data.ptr8[trie->index[lead & 0x1F] + t1], 2};
  }
  const unsigned t2 = bytes[2] ^ 0x80u;
  if (lead - 0xE0 < 0x10 && U8_IS_VALID_LEAD3_AND_T1(lead, bytes[1]) && t2 < 0x40) {
    return {trie->data.ptr8[trie->index[((lead & 0xF) << 6) | t1] + t2], 3};
  }
  const unsigned t3 = bytes[3] ^ 0x80u;
  if (lead == 0xF0 && bytes[1] == 0x9F && t2 < 0x40 && t3 < 0x40) {
    return {lookup.emoji[(t2 << 6) | t3], 4};
  }
  return TakeAny(p, end, trie);
}

// The code points of a chunk that go through the rules, and the bits they leave.
class RuledCodePoints {
 public:
  RuledCodePoints(const Cut& cut, const std::uint8_t* chunk, const std::uint8_t* bytes,
                  unsigned size, std::uint64_t bits, const Lookup& lookup)
      : m_lookup(lookup),
        m_chunk(chunk),
        m_bytes(bytes),
        m_end(cut.end),
        m_size(size),
        m_ruledEnd(static_cast<unsigned>(cut.p - chunk)),
        m_state(cut.state),
        m_bits(bits) {}

  // The code point at `at` through the rules, and what follows it where that must go through
  // them too; returns the bits of the code points so taken after it. Out of line: the common
  // case, a chunk of plain code points, keeps its registers.
  [[gnu::noinline]] std::uint64_t Take(unsigned at) {
    Apply(at);
    return FollowPrepend();
  }

  // What follows a prepended mark joins it, printable ASCII too: through the rules. Returns
  // the bits of the code points taken.
  std::uint64_t FollowPrepend() {
    std::uint64_t taken = 0;
    while (kJoinsPlain[m_state] && m_ruledEnd < m_size && !m_irregular) {
      taken |= std::uint64_t{1} << m_ruledEnd;
      Apply(m_ruledEnd);
    }
    return taken;
  }

  bool irregular() const { return m_irregular; }
  std::uint64_t bits() const { return m_bits; }

  // The state after the code point that ends at `end`.
  std::uint8_t StateAt(unsigned end) const {
    return m_ruledEnd == end ? m_state : kAutomaton.plain;
  }

 private:
  void Apply(unsigned at) {
    const Taken code = TakeCode(m_bytes + at, m_chunk + at, m_end, m_lookup);
    if (code.c == kIrregular) {
      m_irregular = true;
      return;
    }
    const std::uint8_t before = at == m_ruledEnd ? m_state : kAutomaton.plain;
    const std::uint8_t step = kAutomaton.next[before][code.c];
    m_bits = (m_bits & ~(std::uint64_t{1} << at)) | (std::uint64_t{step & 1u} << at);
    m_state = step >> 1;
    m_ruledEnd = at + code.length;
  }

  const Lookup& m_lookup;
  const std::uint8_t* m_chunk;
  const std::uint8_t* m_bytes;
  const std::uint8_t* m_end;
  unsigned m_size;      // the bytes of the chunk in the text
  unsigned m_ruledEnd;  // where the last code point through the rules ends
  std::uint8_t m_state;
  bool m_irregular = false;
  std::uint64_t m_bits;
};

// Whether those of the three bytes at `bytes` that `asked` marks are continuation bytes.
bool Continue(const std::uint8_t* bytes, std::uint64_t asked) {
  std::uint64_t continuation = 0;
  for (unsigned k = 0; k < 3; ++k) {
    continuation |= std::uint64_t{(bytes[k] & 0xC0) == 0x80} << k;
  }
  return (asked & ~continuation) == 0;
}

// ChunkStarts for a chunk of which 67 bytes may be read at `bytes` (the text's own, or a copy
// of its end padded with spaces). Every byte that is not a continuation byte starts a code
// point, and a plain one (printable ASCII, most letters) a character too, unless it follows a
// prepended mark: so the bits come from the masks, and only the code points that are not
// plain go through the rules. That holds while every sequence is as long as its lead byte
// tells, which the masks check too: where one is not, the chunk is cut again one code point
// at a time, and this returns false with `cut` unchanged.
[[gnu::always_inline]] inline bool CutChunk(Cut& cut, const std::uint8_t* chunk,
                                            const std::uint8_t* bytes, const Lookup& lookup,
                                            std::uint64_t& bits) {
  const auto first = static_cast<unsigned>(cut.p - chunk);
  const ChunkMasks masks = MaskChunk(bytes);
  // The continuation bytes are those the lead bytes ask for, here and in the chunk before
  // (the bytes before the first code point); those they ask of the next one start it.
  if (masks.asked != (masks.continuation & ~((std::uint64_t{1} << first) - 1))) return false;
  const bool last = cut.end - chunk <= 64;
  const unsigned size = last ? static_cast<unsigned>(cut.end - chunk) : 64;
  unsigned end = size;
  if (masks.askedNext != 0) [[unlikely]] {
    if (last || !Continue(bytes + 64, masks.askedNext)) return false;
    end = 64 + static_cast<unsigned>(std::countr_one(masks.askedNext));
  }
  const std::uint64_t inText = size < 64 ? (std::uint64_t{1} << size) - 1 : ~std::uint64_t{0};
  RuledCodePoints ruled(cut, chunk, bytes, size, ~masks.continuation & inText, lookup);
  std::uint64_t events = masks.unprintable & ~masks.continuation & inText;
  if (kJoinsPlain[cut.state]) [[unlikely]]
    events &= ~ruled.FollowPrepend();
  while (events != 0) {
    const auto at = static_cast<unsigned>(std::countr_zero(events));
    events &= events - 1;
    // A plain code point starts a character, whatever came before (but a prepended mark,
    // which the rules take care of), and the rules forget what came before it.
    const unsigned lead = bytes[at];
    const LeadKind kind = lookup.leads[lead];
    if (kind == kPlain) continue;
    if (kind == kPlainBlocks && lookup.plainBlocks[((lead & 0xF) << 6) | (bytes[at + 1] & 0x3Fu)]) {
      continue;
    }
    events &= ~ruled.Take(at);
  }
  if (ruled.irregular()) return false;
  cut.p = chunk + end;
  cut.state = ruled.StateAt(end);
  bits = ruled.bits();
  return true;
}

[[gnu::always_inline]] inline std::uint64_t FastChunkStarts(Cut& cut, const std::uint8_t* chunk,
                                                            const std::uint8_t* bytes,
                                                            const Lookup& lookup) {
  std::uint64_t bits = 0;
  if (CutChunk(cut, chunk, bytes, lookup, bits)) [[likely]]
    return bits;
  // A copy, so that `cut` stays in registers.
  Cut slow = cut;
  bits = SlowChunkStarts(slow, chunk, lookup.trie);
  cut = slow;
  return bits;
}

}  // namespace

CharacterText SplitCharacters(std::string_view utf8) {
  const std::size_t size = utf8.size();
  if (IsAsciiOnly(utf8) && utf8.find("\r\n") == std::string_view::npos) {
    return CharacterText::Bytes(utf8);
  }
  const Lookup& lookup = TheLookup();
  std::vector<std::uint64_t> starts(size / 64 + 1);
  const auto* const begin = reinterpret_cast<const std::uint8_t*>(utf8.data());
  Cut cut{begin, begin + size};
  std::size_t count = 0;
  std::size_t w = 0;
  // The cut reads up to three bytes past a chunk: the last bytes, one or two chunks of them,
  // are read in a copy padded with spaces.
  for (; size - w * 64 >= 67; ++w) {
    const std::uint8_t* const chunk = begin + w * 64;
    starts[w] = FastChunkStarts(cut, chunk, chunk, lookup);
    count += CountBits(starts[w]);
  }
  std::uint8_t last[128 + 16];
  std::memset(last, ' ', sizeof last);
  std::memcpy(last, begin + w * 64, size - w * 64);
  for (std::size_t k = 0; cut.p < cut.end; ++k, ++w) {
    starts[w] = FastChunkStarts(cut, begin + w * 64, last + k * 64, lookup);
    count += CountBits(starts[w]);
  }
  starts[size / 64] |= std::uint64_t{1} << (size % 64);
  return CharacterText::WithStarts(utf8, std::move(starts), count);
}

}  // namespace tintrix
