// The entry field's preview of the fade: the characters and colours Make HTML File writes,
// drawn where QLineEdit draws its text.
#include "ui/fadepreview.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QRegularExpression>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "output/fadedocument.h"
#include "ui/textentry.h"

namespace tintrix {
namespace {

FadeSettings Fade(const char* count, std::vector<std::string> colors, int wavy = 0) {
  FadeSettings fade = DefaultFade();
  fade.colorCount = count;
  for (std::size_t k = 0; k < colors.size(); ++k) fade.colors[k] = colors[k];
  fade.wavy = wavy;
  return fade;
}

// Each character of the classic document with its colour, read from the markup itself.
std::vector<std::pair<QString, QString>> DocumentCharacters(FadeSettings fade,
                                                            const QString& text) {
  fade.text = text.toStdString();
  const StatusOr<std::string> document = BuildFadeDocument(fade, {});
  std::vector<std::pair<QString, QString>> characters;
  if (!document.ok()) return characters;
  static const QRegularExpression tag(
      QStringLiteral("<Font Color=#([0-9A-F]{6})>(?:</?SU[BP]>)*((?:(?!<Font Color=|</?SU[BP]>"
                     "|</b></font>$).)+)"),
      QRegularExpression::DotMatchesEverythingOption);
  const QString markup = QString::fromStdString(*document);
  for (auto it = tag.globalMatch(markup); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    characters.emplace_back(match.captured(2), QLatin1Char('#') + match.captured(1));
  }
  return characters;
}

TEST(FadePreview, CutsAndColoursEachCharacterAsMakeHtmlFile) {
  const QString texts[] = {
      QStringLiteral("Enter Text To Fade Here"),
      QString::fromUtf8("a\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD e\xCC\x81 \xF0\x9F\x87\xAF\xF0\x9F"
                        "\x87\xB5 \xC3\x9F"),  // a skin-toned thumb, e + accent, a flag
      QString::fromUtf8("abc \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D xyz"),
      QStringLiteral("x"),
  };
  const FadeSettings fades[] = {
      Fade("2", {"255", "16711680"}),
      Fade("3", {"0", "65280", "16711680"}),
      Fade("5", {"0", "16711680", "12615808", "16744703", "0"}, 1),
      Fade("10", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "16777215"}),
  };
  for (const FadeSettings& fade : fades) {
    for (const QString& text : texts) {
      SCOPED_TRACE(fade.colorCount + " colours: " + text.toStdString());
      FadePreview preview;
      preview.SetFade(fade);
      preview.SetText(text);
      const auto expected = DocumentCharacters(fade, text);
      const auto shown = preview.Characters(0, static_cast<int>(text.size()));
      ASSERT_EQ(shown.size(), expected.size());
      ASSERT_EQ(preview.CharacterCount(), expected.size());
      for (std::size_t k = 0; k < shown.size(); ++k) {
        EXPECT_EQ(text.mid(shown[k].start, shown[k].end - shown[k].start), expected[k].first);
        EXPECT_EQ(QColor::fromRgb(shown[k].color).name().toUpper(), expected[k].second);
      }
    }
  }
}

TEST(FadePreview, AFadeThatCannotBeMadeShowsNoColoursButItsStyles) {
  const FadeSettings fades[] = {
      Fade("6", {"0", "1"}), Fade("", {"0", "1"}),     Fade("two", {"0", "1"}),
      Fade("2", {"", "1"}),  Fade("2", {"0", "blue"}),
  };
  for (const FadeSettings& fade : fades) {
    FadePreview preview;
    preview.SetFade(fade);
    preview.SetText(QStringLiteral("text"));
    EXPECT_FALSE(preview.HasColors()) << fade.colorCount << " " << fade.colors[1];
    EXPECT_TRUE(preview.Characters(0, 4).empty());
    EXPECT_TRUE(preview.StyledFont(QFont()).bold());  // the default fade is bold
  }
}

TEST(FadePreview, StylesAndAFontTheDesktopHas) {
  const struct {
    int bold, italic, underlined;
    const char* font;
    bool family;  // the font's family is used
  } cases[] = {
      {1, 0, 0, "DejaVu Sans", true},
      {0, 1, 1, "No Such Family Anywhere", false},
      {2, 2, 2, "", false},  // greyed is off, as in the document
  };
  const QFont base(QStringLiteral("DejaVu Serif"), 11);
  for (const auto& c : cases) {
    FadeSettings fade = DefaultFade();
    fade.bold = c.bold;
    fade.italic = c.italic;
    fade.underlined = c.underlined;
    fade.font = c.font;
    FadePreview preview;
    preview.SetFade(fade);
    const QFont font = preview.StyledFont(base);
    EXPECT_EQ(font.bold(), c.bold == 1) << c.font;
    EXPECT_EQ(font.italic(), c.italic == 1) << c.font;
    EXPECT_EQ(font.underline(), c.underlined == 1) << c.font;
    EXPECT_EQ(font.families().value(0), c.family ? QString::fromUtf8(c.font) : base.family());
    EXPECT_EQ(font.pointSize(), 11);
  }
}

QImage Drawn(TextEntry& entry) {
  entry.repaint();
  return entry.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The columns of `image` that hold ink, as runs [first, last] of glyphs.
std::vector<std::pair<int, int>> InkRuns(const QImage& image) {
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < image.width(); ++x) {
    bool ink = false;
    for (int y = 0; y < image.height() && !ink; ++y) ink = qGray(image.pixel(x, y)) < 200;
    if (!ink) continue;
    if (!runs.empty() && runs.back().second == x - 1) {
      runs.back().second = x;
    } else {
      runs.emplace_back(x, x);
    }
  }
  return runs;
}

class TextEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_entry.resize(250, 24);
    m_entry.setFrame(false);
    QPalette colors = m_entry.palette();
    colors.setColor(QPalette::Base, Qt::white);
    colors.setColor(QPalette::Text, Qt::black);
    m_entry.setPalette(colors);
    m_entry.show();
  }
  TextEntry m_entry{nullptr};
};

// The columns of `image` that hold ink.
std::vector<bool> InkColumns(const QImage& image) {
  std::vector<bool> ink(static_cast<std::size_t>(image.width()), false);
  for (const auto& [first, last] : InkRuns(image)) {
    for (int x = first; x <= last; ++x) ink[static_cast<std::size_t>(x)] = true;
  }
  return ink;
}

const QString kBothWays = QString::fromUtf8("ab \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D xy");

// The wave draws the characters again, only higher or lower: where QLineEdit draws them, in
// texts of one direction or both, short or long, scrolled and with a selection.
TEST_F(TextEntryTest, DrawsTheCharactersWhereQLineEditDrawsThem) {
  QString scrolled;
  for (int i = 0; i < 90; ++i) scrolled += QChar(u"Wij fade, ok? "[i % 14]);
  QString longText;
  for (int i = 0; i < TextEntry::kLongText + 500; ++i) longText += QChar(u"Wij fade, ok? "[i % 14]);
  const QString texts[] = {QStringLiteral("Wij fade, ok?"), scrolled, kBothWays,
                           QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D abc"), longText};
  for (const QString& text : texts) {
    SCOPED_TRACE(text.left(20).toStdString());
    m_entry.setText(text);
    m_entry.setSelection(static_cast<int>(text.size()) - 6, 2);
    m_entry.SetFade(Fade("6", {"0", "0"}));
    const std::vector<bool> plain = InkColumns(Drawn(m_entry));
    m_entry.SetFade(Fade("2", {"0", "0"}, 1));
    EXPECT_EQ(InkColumns(Drawn(m_entry)), plain);
  }
}

// Each glyph, from left to right, is in the colour of its character: in a text of both
// directions the right-to-left word is shown backwards.
TEST_F(TextEntryTest, PaintsEachCharacterInItsColour) {
  const struct {
    QString text;
    std::vector<std::size_t> shown;  // the characters with ink, from left to right
  } cases[] = {
      {QStringLiteral("IIIIIIII"), {0, 1, 2, 3, 4, 5, 6, 7}},
      {kBothWays, {0, 1, 6, 5, 4, 3, 8, 9}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    m_entry.setText(c.text);
    m_entry.SetFade(Fade("2", {"255", "16711680"}));  // red to blue
    const QImage image = Drawn(m_entry);
    const auto runs = InkRuns(image);
    ASSERT_EQ(runs.size(), c.shown.size());
    const auto characters = m_entry.preview().Characters(0, static_cast<int>(c.text.size()));
    for (std::size_t k = 0; k < runs.size(); ++k) {
      // The darkest pixel of a glyph is the one fully covered: its colour is the character's.
      QRgb darkest = qRgb(255, 255, 255);
      for (int x = runs[k].first; x <= runs[k].second; ++x) {
        for (int y = 0; y < image.height(); ++y) {
          if (qGray(image.pixel(x, y)) < qGray(darkest)) darkest = image.pixel(x, y);
        }
      }
      const QRgb want = characters[c.shown[k]].color;
      EXPECT_NEAR(qRed(darkest), qRed(want), 40) << k;
      EXPECT_NEAR(qGreen(darkest), qGreen(want), 40) << k;
      EXPECT_NEAR(qBlue(darkest), qBlue(want), 40) << k;
    }
    // The text itself, and what accessibility reads, stay plain.
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(&m_entry);
    EXPECT_EQ(field->text(QAccessible::Value), c.text);
    EXPECT_EQ(field->textInterface()->text(0, static_cast<int>(c.text.size())), c.text);
  }
}

// What an input method is composing shows as QLineEdit draws it; the fade comes back when the
// text is set anew, whatever the input method said last.
TEST_F(TextEntryTest, ComposingShowsQLineEditsOwnDrawing) {
  m_entry.setText(QStringLiteral("IIII"));
  m_entry.SetFade(Fade("2", {"255", "255"}));  // red
  const auto reddest = [&] {
    const QImage image = Drawn(m_entry);
    int most = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        most = std::max(most, qRed(image.pixel(x, y)) - qGreen(image.pixel(x, y)));
      }
    }
    return most;
  };
  EXPECT_GT(reddest(), 200);
  QInputMethodEvent composing(QStringLiteral("x"), {});
  QApplication::sendEvent(&m_entry, &composing);
  EXPECT_LT(reddest(), 40);
  m_entry.setText(QStringLiteral("IIIII"));
  EXPECT_GT(reddest(), 200);
}

// The wave is a fixed sample of the place: typing on does not move the characters before.
TEST_F(TextEntryTest, TheWaveRaisesAndLowersCharactersByTheirPlace) {
  m_entry.SetFade(Fade("2", {"0", "0"}, 1));
  const auto tops = [&] {
    const QImage image = Drawn(m_entry);
    std::vector<int> result;
    for (const auto& [first, last] : InkRuns(image)) {
      int top = image.height();
      for (int x = first; x <= last; ++x) {
        for (int y = 0; y < top; ++y) {
          if (qGray(image.pixel(x, y)) < 200) top = y;
        }
      }
      result.push_back(top);
    }
    return result;
  };
  m_entry.setText(QStringLiteral("IIIIIIIIII"));
  const std::vector<int> before = tops();
  ASSERT_EQ(before.size(), 10u);
  std::map<int, std::set<int>> topsByState;
  for (std::size_t k = 0; k < before.size(); ++k) {
    topsByState[FadePreview::WaveStateAt(k)].insert(before[k]);
  }
  ASSERT_EQ(topsByState.size(), 3u) << "ten characters hold all three states";
  for (const auto& [state, all] : topsByState) EXPECT_EQ(all.size(), 1u) << state;
  EXPECT_LT(*topsByState[2].begin(), *topsByState[3].begin());  // raised above the line
  EXPECT_GT(*topsByState[1].begin(), *topsByState[3].begin());  // lowered below it
  m_entry.setText(QStringLiteral("IIIIIIIIIIII"));
  const std::vector<int> after = tops();
  EXPECT_EQ(std::vector<int>(after.begin(), after.begin() + 10), before);
}

}  // namespace
}  // namespace tintrix
