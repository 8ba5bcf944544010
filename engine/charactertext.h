#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tintrix {

// A text cut into the characters that get one colour tag each. The text is borrowed: it must
// outlive this object. Either every byte is a character (a text of plain ASCII without a
// CR LF pair), or `ends` lists where each character ends, as byte offsets in ascending order,
// the last one equal to the text's size.
class CharacterText {
 public:
  // Every byte is one character.
  static CharacterText Bytes(std::string_view text) { return CharacterText(text, {}, true); }

  // Characters end at the given offsets.
  static CharacterText WithEnds(std::string_view text, std::vector<std::size_t> ends) {
    return CharacterText(text, std::move(ends), false);
  }

  std::string_view text() const { return m_text; }
  bool bytes() const { return m_bytes; }
  const std::vector<std::size_t>& ends() const { return m_ends; }

  // The number of characters.
  std::size_t size() const { return m_bytes ? m_text.size() : m_ends.size(); }
  bool empty() const { return size() == 0; }

  // Byte offset where character i starts (i == size() gives the text's size).
  std::size_t start(std::size_t i) const {
    if (m_bytes) return i;
    return i == 0 ? 0 : m_ends[i - 1];
  }

 private:
  CharacterText(std::string_view text, std::vector<std::size_t> ends, bool bytes)
      : m_text(text), m_ends(std::move(ends)), m_bytes(bytes) {}

  std::string_view m_text;
  std::vector<std::size_t> m_ends;
  bool m_bytes;
};

}  // namespace tintrix
