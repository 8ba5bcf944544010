#include "output/internal/graphemetables.h"

#include <unicode/uchar.h>
#include <unicode/ucpmap.h>
#include <unicode/umutablecptrie.h>
#include <unicode/uscript.h>
#include <unicode/uset.h>

#include <algorithm>
#include <cstddef>
#include <stdexcept>

#include "output/internal/graphemerules.h"

namespace tintrix::graphemes {

namespace {

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

bool AllPlain(const UCPTrie* trie, UChar32 first, UChar32 last) {
  std::uint32_t value = 0;
  return ucptrie_getRange(trie, first, UCPMAP_RANGE_NORMAL, 0, nullptr, nullptr, &value) >= last &&
         value == kOther;
}

}  // namespace

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
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    if (lookup.leads[lead] != kPlain) continue;
    lookup.plainLeadRows[lead & 0xF] |= static_cast<std::uint8_t>(1u << ((lead >> 4) - 8));
  }
  return lookup;
}

}  // namespace tintrix::graphemes
