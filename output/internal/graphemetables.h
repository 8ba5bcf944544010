#pragma once

#include <unicode/ucptrie.h>

#include <array>
#include <cstdint>

// The classes of the character break rules (graphemerules.h) for every code point, read once
// from ICU's property data, and the shortcuts the cut takes past them.
namespace tintrix::graphemes {

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
  // The lead bytes of kPlain as rows for a shuffle: bit h - 8 of row l for the byte h * 16 + l.
  alignas(16) std::array<std::uint8_t, 16> plainLeadRows{};
  std::array<bool, 1024> plainBlocks{};  // by code point / 64, below U+10000
  // The classes of U+1F000 ... U+1FFFF, the emoji and their modifiers, without the trie's
  // lookup of four-byte sequences, a call.
  std::array<std::uint8_t, 4096> emoji{};
};

// The lookup, from ICU's data. Throws std::runtime_error when ICU has no character break data.
Lookup BuildLookup();

// Built on the first call and held for the life of the program. Inline, so that the cut of
// each text pays no call for it.
inline const Lookup& TheLookup() {
  static const Lookup lookup = BuildLookup();
  return lookup;
}

}  // namespace tintrix::graphemes
