#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fadegenerator.h"
#include "engine/status.h"
#include "output/byteset.h"
#include "output/fadedocument.h"

namespace tintrix {

// The documents of one FadeDocument for many short texts, as a copy each. Where a text is
// made of plain bytes alone (FadeDocument::PlainBytes), its document is that of any other such
// text of its length with its own bytes in their places: so the document of a length is made
// once, from placeholder bytes, and each later text of that length is the copy with its bytes
// put in. A text past ASCII whose characters hold plain bytes alone is stamped the same way,
// by its length in characters, each character's bytes in the place of a placeholder byte.
// A length is stamped from its second text on, so that texts of lengths that never come again
// cost no more than before; the others are made by the document as ever.
class DocumentStamps {
 public:
  // The longest text stamped: the stamps of every length up to it take a few megabytes at
  // most, and a longer text's own work dwarfs what a stamp saves.
  static constexpr std::size_t kMaxCharacters = 256;

  // `document` must outlive the stamps.
  explicit DocumentStamps(const FadeDocument& document);

  // Appends what document.Append(text, hooks, out) appends and adds its colour tags to
  // *hooks.colorTags when that is set. Fails only as Append does; a stamped document is
  // handed to hooks.drain whole, with the string, when the string then holds kDrainBytes.
  Status Append(std::string_view text, const FadeHooks& hooks, std::string& out);

  // How many of the texts appended were stamped.
  std::size_t stamped() const { return m_stamped; }

 private:
  struct Stamp {
    std::string markup;                 // the document of placeholder bytes, and kPadding more
    std::vector<std::uint32_t> places;  // where in it each character's byte is
    // The distance from each place to the next, where it is always the same; else 0.
    std::size_t stride = 0;
    std::size_t tags = 0;
  };
  enum class Seen : std::uint8_t { kNever, kOnce, kStamped, kNotStamped };

  // Bytes past each stamp's document: its pieces are copied in whole words.
  static constexpr std::size_t kPadding = 32;

  // The stamp of texts of n plain bytes, made the second time it is asked for; nullptr before
  // that and where the document does not hold each character once, in a fixed place.
  const Stamp* StampOf(std::size_t n);
  bool Make(std::size_t n, Stamp& stamp) const;
  // Appends the stamp with the bytes of `text` in their places, and gives true; or, where one
  // of them is not plain, leaves `out` as it was and gives false.
  bool Put(const Stamp& stamp, std::string_view text, const FadeHooks& hooks, std::string& out);
  // Appends the stamp with the characters of `characters` in their places: a text cut by bits
  // (not into bytes), of stamp's length, every byte of it plain in characters.
  void PutCharacters(const Stamp& stamp, const CharacterText& characters, const FadeHooks& hooks,
                     std::string& out);
  // Append for a text past ASCII.
  Status AppendCharacters(std::string_view text, const FadeHooks& hooks, std::string& out);
  // What a stamped document leaves for hooks.drain.
  Status Drain(const FadeHooks& hooks, std::string& out);

  const FadeDocument& m_document;
  ByteSet m_unplain;              // the bytes that are not plain, as characters of their own
  ByteSet m_unplainInCharacters;  // the same, in characters of any size
  bool m_characters = false;      // texts past ASCII can be stamped
  bool m_stamps = false;
  char m_placeholders[2] = {};
  std::vector<Seen> m_seen;
  std::vector<Stamp> m_made;
  std::size_t m_stamped = 0;
};

}  // namespace tintrix
