#include "output/blocklayout.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>

#include "output/graphemes.h"

namespace tintrix {

namespace {

constexpr std::uint32_t kTabStop = 8;

// The columns a character of these bytes takes when it starts at `column`.
std::uint32_t ColumnsOf(std::string_view bytes, std::uint32_t column) {
  const auto first = static_cast<unsigned char>(bytes[0]);
  if (first == '\t') return kTabStop - column % kTabStop;
  if (first < 0x80) return 1;
  UChar32 c = 0;
  std::int32_t i = 0;
  U8_NEXT(reinterpret_cast<const std::uint8_t*>(bytes.data()), i,
          static_cast<std::int32_t>(std::min<std::size_t>(bytes.size(), 4)), c);
  if (c < 0) return 1;  // ill-formed: shown as U+FFFD, one column
  const auto width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH ? 2 : 1;
}

// Calls place(column) for every character of `characters`; returns the line's width.
template <typename Place>
std::size_t WalkColumns(const CharacterText& characters, const Place& place) {
  const std::string_view text = characters.text();
  CharacterText::Cursor cursor(characters);
  std::uint32_t column = 0;
  for (std::size_t start = 0, k = 0; k < characters.size(); ++k) {
    const std::size_t end = cursor.Next();
    place(column);
    column += ColumnsOf(text.substr(start, end - start), column);
    start = end;
  }
  return column;
}

}  // namespace

std::vector<std::string_view> BlockLines(std::string_view block) {
  std::vector<std::string_view> lines;
  while (!block.empty()) {
    const std::size_t feed = block.find('\n');
    std::string_view line = block.substr(0, feed);
    block.remove_prefix(feed == std::string_view::npos ? block.size() : feed + 1);
    if (!line.empty() && line.back() == '\r' && feed != std::string_view::npos) {
      line.remove_suffix(1);
    }
    lines.push_back(line);
  }
  return lines;
}

std::size_t CharacterColumns(const CharacterText& characters, std::vector<std::uint32_t>& columns) {
  columns.clear();
  columns.reserve(characters.size());
  return WalkColumns(characters, [&](std::uint32_t column) { columns.push_back(column); });
}

std::size_t LineWidth(std::string_view line) {
  // Printable ASCII alone is one column a byte, and most banners are made of it.
  if (std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) {
    return line.size();
  }
  return WalkColumns(SplitCharacters(line), [](std::uint32_t) {});
}

BlockPlaces::BlockPlaces(BlockMode mode, std::span<const std::string_view> lines) : m_mode(mode) {
  if (mode == BlockMode::kLines) {
    m_count = lines.size();
    return;
  }
  std::size_t widest = 0;
  for (const std::string_view line : lines) widest = std::max(widest, LineWidth(line));
  m_count = mode == BlockMode::kColumns || widest == 0 ? widest : widest + lines.size() - 1;
}

void BlockPlaces::Of(std::size_t index, const CharacterText& characters,
                     std::vector<std::uint32_t>& places) const {
  if (m_mode == BlockMode::kLines) {
    places.assign(characters.size(), static_cast<std::uint32_t>(index));
    return;
  }
  CharacterColumns(characters, places);
  if (m_mode == BlockMode::kDiagonal) {
    for (std::uint32_t& place : places) place += static_cast<std::uint32_t>(index);
  }
}

}  // namespace tintrix
