#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/charactertext.h"

namespace tintrix {

// How the characters of a block of lines take their places in one fade, so that the fade runs
// over the block as over one picture.
enum class BlockMode {
  kColumns,   // a character's place is its display column
  kLines,     // every character of a line has the line's place
  kDiagonal,  // its display column plus its line's index
};

// The lines of a block as the companion reads lines: cut at each line feed, without the
// carriage return before it; a last line without a line feed counts when it is not empty.
std::vector<std::string_view> BlockLines(std::string_view block);

// The display column where each character of a line starts, counted from 0, into `columns`
// (one per character of `characters`): a character whose first code point is East Asian Wide
// or Fullwidth takes two columns, a tab reaches to the next multiple of 8, every other
// character takes one. Returns the line's width, the column after its last character.
std::size_t CharacterColumns(const CharacterText& characters, std::vector<std::uint32_t>& columns);

// The width CharacterColumns gives `line`, without keeping the columns.
std::size_t LineWidth(std::string_view line);

// The places of a block's characters in its fade.
class BlockPlaces {
 public:
  // The places of the block of `lines`; reads every line once for its width unless `mode` is
  // kLines.
  BlockPlaces(BlockMode mode, std::span<const std::string_view> lines);

  // How many places the fade runs over: the widest line's width (kColumns), the number of
  // lines (kLines), or both less one (kDiagonal); 0 for a block without characters.
  std::size_t count() const { return m_count; }

  // The place of each character of line `index`, cut as `characters` (SplitCharacters of
  // that line), into `places`: each below count().
  void Of(std::size_t index, const CharacterText& characters,
          std::vector<std::uint32_t>& places) const;

 private:
  BlockMode m_mode;
  std::size_t m_count = 0;
};

}  // namespace tintrix
