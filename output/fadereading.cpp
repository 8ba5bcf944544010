#include "output/fadereading.h"

#include "engine/markupreading.h"
#include "output/graphemes.h"

namespace tintrix {

StatusOr<FadeReading> ReadFade(std::string_view document, std::optional<MarkupFormat> format) {
  TINTRIX_ASSIGN_OR_RETURN(MarkupReading markup,
                           format ? ReadMarkup(document, *format) : ReadAnyMarkup(document));
  FadeReading reading;
  reading.format = markup.format;
  reading.styles = markup.styles;
  reading.hasFont = markup.hasFont;
  reading.font = std::move(markup.font);
  reading.wavy = markup.wavy;
  reading.text = std::move(markup.text);

  const CharacterText characters = SplitCharacters(reading.text);
  reading.rgb.reserve(characters.size());
  reading.known.reserve(characters.size());
  const std::vector<ColorMark>& marks = markup.marks;
  // The mark in force, the next one, and how many characters start under the one in force.
  std::optional<std::size_t> current;
  std::size_t next = 0, under = 0;
  CharacterText::Cursor cursor(characters);
  for (std::size_t k = 0, start = 0; k < characters.size(); ++k) {
    while (next < marks.size() && marks[next].at <= start) {
      current = next++;
      under = 0;
    }
    const bool colored = current && marks[*current].colored;
    reading.rgb.push_back(colored ? marks[*current].rgb : 0);
    reading.known.push_back(colored ? 1 : 0);
    if (colored && ++under == 2) reading.merged = true;
    start = cursor.Next();
  }
  if (TraitsOf(reading.format).alwaysMerges) reading.merged = false;
  return reading;
}

}  // namespace tintrix
