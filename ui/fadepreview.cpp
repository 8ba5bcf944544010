#include "ui/fadepreview.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include <algorithm>
#include <string_view>

#include "output/graphemes.h"

namespace tintrix {

namespace {

bool HoldsRightToLeft(const QString& text) {
  const auto* units = text.utf16();
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    // Every character written right to left lies from U+0590 on: most text is passed over
    // without a look-up.
    char32_t code = units[i];
    if (code < 0x0590) continue;
    if (QChar::isHighSurrogate(code) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
      code = QChar::surrogateToUcs4(units[i], units[i + 1]);
      ++i;
    }
    switch (QChar::direction(code)) {
      case QChar::DirR:
      case QChar::DirAL:
      case QChar::DirRLE:
      case QChar::DirRLO:
      case QChar::DirRLI:
        return true;
      default:
        break;
    }
  }
  return false;
}

}  // namespace

bool FadePreview::SetFade(const FadeSettings& fade) {
  if (m_fadeSet && SameStoredFields(fade, m_fade)) return false;
  m_fadeSet = true;
  m_fade = fade;
  m_fade.text.clear();
  m_document.reset();
  // The window's counts only, as Make HTML File: another count or a colour that is no colour
  // value gives no fade to show.
  if (StatusOr<FadeDocument> document = FadeDocument::Create(m_fade, true); document.ok()) {
    if (!document->Colors(1).empty()) m_document.emplace(std::move(document).value());
  }
  m_stale = true;
  return true;
}

void FadePreview::SetText(const QString& text) {
  m_text = text;
  m_stale = true;
}

int FadePreview::WaveStateAt(std::size_t index) {
  // A hash of the place, so that a character keeps its place on the wave while the text
  // around it is typed.
  std::uint64_t h = (index + 1) * 0x9E3779B97F4A7C15ull;
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 29;
  return static_cast<int>(h % 3) + 1;
}

void FadePreview::Update() {
  if (!m_stale) return;
  m_stale = false;
  m_starts.clear();
  m_colors.clear();
  m_rightToLeft = false;
  if (m_text.isEmpty()) return;
  const QByteArray utf8 = m_text.toUtf8();
  const CharacterText characters =
      SplitCharacters(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  const std::size_t n = characters.size();
  m_starts.reserve(n + 1);
  m_starts.push_back(0);
  if (characters.bytes()) {
    // Plain ASCII: a byte is a UTF-16 unit is a character.
    for (std::size_t k = 1; k <= n; ++k) m_starts.push_back(static_cast<int>(k));
  } else {
    m_rightToLeft = HoldsRightToLeft(m_text);
    // The UTF-8 of a QString is well formed: a lead byte of four bytes is a surrogate pair in
    // UTF-16, any other lead byte one unit.
    CharacterText::Cursor cursor(characters);
    std::size_t byte = 0;
    int unit = 0;
    for (std::size_t k = 0; k < n; ++k) {
      for (const std::size_t end = cursor.Next(); byte < end; ++byte) {
        const auto b = static_cast<unsigned char>(utf8[static_cast<qsizetype>(byte)]);
        if ((b & 0xC0) != 0x80) unit += b >= 0xF0 ? 2 : 1;
      }
      m_starts.push_back(unit);
    }
  }
  if (m_document) m_colors = m_document->Colors(n);
}

QFont FadePreview::StyledFont(const QFont& base) const {
  QFont font = base;
  font.setBold(m_fade.bold == 1);
  font.setItalic(m_fade.italic == 1);
  font.setUnderline(m_fade.underlined == 1);
  const QString family = QString::fromStdString(m_fade.font);
  if (!family.trimmed().isEmpty() && QFontDatabase::hasFamily(family)) {
    font.setFamilies(QStringList{family});
  }
  return font;
}

std::vector<FadePreview::Character> FadePreview::Characters(int from, int to) {
  Update();
  std::vector<Character> characters;
  if (m_colors.empty() || from >= to) return characters;
  const std::size_t count = m_colors.size();
  // The character that holds `from`.
  auto k = static_cast<std::size_t>(std::upper_bound(m_starts.begin(), m_starts.end(), from) -
                                    m_starts.begin());
  k = k == 0 ? 0 : k - 1;
  for (; k < count && m_starts[k] < to; ++k) {
    characters.push_back({m_starts[k], m_starts[k + 1], qRgb(0, 0, 0) | m_colors[k],
                          m_fade.wavy != 0 ? WaveStateAt(k) : 3});
  }
  return characters;
}

std::pair<int, int> FadePreview::Whole(int from, int to) {
  Update();
  if (m_starts.empty()) return {0, 0};
  from = std::clamp(from, 0, m_starts.back());
  to = std::clamp(to, from, m_starts.back());
  // The start of the character that holds `from`, the end of the one that holds to - 1.
  const auto first = std::upper_bound(m_starts.begin(), m_starts.end(), from) - 1;
  const auto last = std::lower_bound(m_starts.begin(), m_starts.end(), to);
  return {*first, last == m_starts.end() ? m_starts.back() : *last};
}

bool FadePreview::HasRightToLeft() {
  Update();
  return m_rightToLeft;
}

std::size_t FadePreview::CharacterCount() {
  Update();
  return m_starts.empty() ? 0 : m_starts.size() - 1;
}

}  // namespace tintrix
