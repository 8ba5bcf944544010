#include "output/graphemes.h"

#include "engine/cpufeatures.h"

#include <sys/mman.h>
#include <unicode/ucptrie.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "output/internal/chunkmasks.h"
#include "output/internal/graphemerules.h"
#include "output/internal/graphemetables.h"

namespace tintrix {

namespace {

using namespace graphemes;

// `count` words of zeros for the bits of a text's characters. Those of a long text (16 MB for
// 128 MB of text) are asked for in huge pages before they are first touched: else each 4 KiB
// would take a page fault of its own, and be cleared by the system on its own. Only a wish,
// and only for the whole huge pages the words cover.
std::vector<std::uint64_t> StartWords(std::size_t count) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (count * sizeof(std::uint64_t) < 2 * kHugePage) return std::vector<std::uint64_t>(count);
  std::vector<std::uint64_t> words;
  words.reserve(count);
  char* const data = reinterpret_cast<char*>(words.data());
  const std::size_t bytes = count * sizeof(std::uint64_t);
  const std::size_t skip =
      (kHugePage - reinterpret_cast<std::uintptr_t>(data) % kHugePage) % kHugePage;
  madvise(data + skip, (bytes - skip) / kHugePage * kHugePage, MADV_HUGEPAGE);
  words.resize(count);
  return words;
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

// A code point's class and its length in bytes. kIrregular: an ill-formed sequence, or one
// shorter than its first byte tells.
constexpr std::uint8_t kIrregular = kClassCount;
struct Taken {
  std::uint8_t c;
  std::uint8_t length;
};

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
template <typename Bits>
[[gnu::always_inline]] inline bool CutChunk(Cut& cut, const std::uint8_t* chunk,
                                            const std::uint8_t* bytes, const Lookup& lookup,
                                            std::uint64_t& bits) {
  const auto first = static_cast<unsigned>(cut.p - chunk);
  const ChunkMasks masks = MaskChunk<Bits>(bytes, lookup.plainLeadRows.data());
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
  // Plain code points need nothing of the rules: those the masks found are not looked at.
  std::uint64_t events = masks.unprintable & ~masks.continuation & ~masks.plainLeads & inText;
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

template <typename Bits>
[[gnu::always_inline]] inline std::uint64_t FastChunkStarts(Cut& cut, const std::uint8_t* chunk,
                                                            const std::uint8_t* bytes,
                                                            const Lookup& lookup) {
  std::uint64_t bits = 0;
  if (CutChunk<Bits>(cut, chunk, bytes, lookup, bits)) [[likely]]
    return bits;
  // A copy, so that `cut` stays in registers.
  Cut slow = cut;
  bits = SlowChunkStarts(slow, chunk, lookup.trie);
  cut = slow;
  return bits;
}

// The whole cut, its bits read by Bits.
template <typename Bits>
[[gnu::always_inline]] inline CharacterText Split(std::string_view utf8) {
  const std::size_t size = utf8.size();
  if (const AsciiScan scan = ScanAscii(utf8);
      scan.ascii && (!scan.carriageReturn || utf8.find("\r\n") == std::string_view::npos)) {
    return CharacterText::Bytes(utf8);
  }
  const Lookup& lookup = TheLookup();
  std::vector<std::uint64_t> starts = StartWords(size / 64 + 1);
  const auto* const begin = reinterpret_cast<const std::uint8_t*>(utf8.data());
  Cut cut{begin, begin + size};
  std::size_t count = 0;
  // The cut reads up to three bytes past a chunk: the last bytes, one or two chunks of them,
  // are read in a copy padded with spaces. The copy is made first: its chunks are read 32 bytes
  // at a time, which would wait for the copy's stores to land if they came just before.
  const std::size_t whole = size >= 67 ? (size - 67) / 64 + 1 : 0;
  std::uint8_t last[128 + 16];
  std::memset(last, ' ', sizeof last);
  std::memcpy(last, begin + whole * 64, size - whole * 64);
  std::size_t w = 0;
  for (; w < whole; ++w) {
    const std::uint8_t* const chunk = begin + w * 64;
    starts[w] = FastChunkStarts<Bits>(cut, chunk, chunk, lookup);
    count += CountBits(starts[w]);
  }
  for (std::size_t k = 0; cut.p < cut.end; ++k, ++w) {
    starts[w] = FastChunkStarts<Bits>(cut, begin + w * 64, last + k * 64, lookup);
    count += CountBits(starts[w]);
  }
  starts[size / 64] |= std::uint64_t{1} << (size % 64);
  return CharacterText::WithStarts(utf8, std::move(starts), count);
}

CharacterText SplitPortable(std::string_view utf8) { return Split<PortableBits>(utf8); }

#if defined(__x86_64__)
// Everything the cut calls is built into this copy for AVX2, which only processors that have
// it run.
[[gnu::target("avx2"), gnu::flatten]] CharacterText SplitAvx2(std::string_view utf8) {
  return Split<Avx2Bits>(utf8);
}
#endif

}  // namespace

CutPath DefaultCutPath() { return Avx2Enabled() ? CutPath::kAvx2 : CutPath::kPortable; }

CharacterText SplitCharacters(std::string_view utf8) {
  return SplitCharacters(utf8, DefaultCutPath());
}

CharacterText SplitCharacters(std::string_view utf8, CutPath path) {
#if defined(__x86_64__)
  if (path == CutPath::kAvx2 && Avx2Available()) return SplitAvx2(utf8);
#endif
  return SplitPortable(utf8);
}

}  // namespace tintrix
