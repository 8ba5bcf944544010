#pragma once

#include <QFont>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/fadesettings.h"
#include "output/fadedocument.h"

namespace tintrix {

// What the entry field shows of the fade: every character of its text, cut as the fade cuts
// it, in the colour Make HTML File gives it (the engine's own colours for the text, not a copy
// of its arithmetic), in the fade's bold, italic and underline and its font where the desktop
// has that family, and with the wave each character raised, lowered or on the line by a fixed
// sample that depends only on its place. A fade that cannot be made (a count none of the
// window's, a colour that is empty or no number) shows no colours and no wave.
//
// The characters and colours are worked out once per change of text or fade, when first asked
// for, never at a repaint that changes neither.
class FadePreview {
 public:
  // One character of the text: its UTF-16 range, colour and place on the wave.
  struct Character {
    int start;
    int end;
    QRgb color;
    int wave;  // 1 lowered, 2 raised, 3 on the line; 3 without the wave
  };

  // Takes the stored fields of `fade` (its text plays no part). Returns whether the preview
  // changed.
  bool SetFade(const FadeSettings& fade);

  // The text shown; cheap, the work waits until it is asked for.
  void SetText(const QString& text);

  // `base` with the fade's styles that are on (exactly 1) and its font's family where the
  // desktop has it; the size stays base's.
  QFont StyledFont(const QFont& base) const;

  // True when the fade can be made, so that its characters have colours.
  bool HasColors() const { return m_document.has_value(); }
  bool Wavy() const { return HasColors() && m_fade.wavy != 0; }

  // The characters that overlap the UTF-16 range [from, to), first to last; none when the fade
  // cannot be made.
  std::vector<Character> Characters(int from, int to);

  // The number of characters of the text.
  std::size_t CharacterCount();

  // [from, to) of the text widened to whole characters, and kept within the text.
  std::pair<int, int> Whole(int from, int to);

  // True when the text holds a character written right to left, so that the characters on
  // screen need not be one stretch of the text.
  bool HasRightToLeft();

  // The wave's sample at character `index`: 1 lowered, 2 raised, 3 on the line.
  static int WaveStateAt(std::size_t index);

 private:
  void Update();

  bool m_fadeSet = false;
  FadeSettings m_fade;
  std::optional<FadeDocument> m_document;  // none when the fade cannot be made
  QString m_text;
  bool m_stale = true;
  std::vector<int> m_starts;  // UTF-16 start of each character, and the text's end
  std::vector<std::uint32_t> m_colors;
  bool m_rightToLeft = false;
};

}  // namespace tintrix
