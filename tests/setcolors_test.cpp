#include "ui/setcolors.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTextDocument>
#include <QTimer>

#include <functional>
#include <memory>

#include "engine/fadesettings.h"
#include "tests/fakedesktop.h"

namespace tintrix {
namespace {

using testing::FakeDesktop;

// Deletes the dialogs that closed themselves, so Show starts afresh.
void RunDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Esc pressed in `widget`, as the dialog's focus widget.
void SendEscape(QWidget* widget) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
}

class SetColorsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    delete m_dialog;
    RunDeferredDeletes();
  }

  // A dialog on `fade`, shown.
  SetColors& Open() {
    m_dialog = new SetColors(m_fade, m_desktop);
    m_dialog->show();
    return *m_dialog;
  }

  template <typename T>
  T* Child(const char* name) {
    T* child = m_dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  QComboBox* Slots() { return Child<QComboBox>("Combo1"); }
  QComboBox* Fonts() { return Child<QComboBox>("Combo2"); }
  QCheckBox* Check(int n) { return Child<QCheckBox>(QStringLiteral("Check%1").arg(n).toLatin1()); }
  QRadioButton* Option(int n) {
    return Child<QRadioButton>(QStringLiteral("Option%1").arg(n).toLatin1());
  }
  QLabel* Swatch(int n) { return Child<QLabel>(QStringLiteral("Label%1").arg(n).toLatin1()); }
  void ClickSet() { Child<QPushButton>("Command1")->click(); }

  std::array<bool, 5> SelectedOptions() {
    std::array<bool, 5> selected{};
    for (int n = 1; n <= 5; ++n) selected[n - 1] = Option(n)->isChecked();
    return selected;
  }

  FadeSettings m_fade = DefaultFade();
  FakeDesktop m_desktop;
  QPointer<SetColors> m_dialog;
};

// The colour a swatch shows in its bottom-right corner, clear of its caption.
QColor ShownColor(QLabel* swatch) {
  const QImage image = swatch->grab().toImage();
  return image.pixelColor(image.width() - 1, image.height() - 1);
}

TEST_F(SetColorsTest, LoadsTheDefaultFade) {
  Open();
  EXPECT_EQ(m_dialog->objectName(), "SetColors");
  EXPECT_EQ(m_dialog->windowTitle(), "Configuration");
  EXPECT_FALSE(m_dialog->isModal());
  EXPECT_TRUE(m_dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(m_dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(m_dialog->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(m_dialog->size(), QSize(170, 223));
  EXPECT_EQ(m_dialog->palette().color(QPalette::Window), QColor(192, 192, 192));

  EXPECT_FALSE(Check(1)->isChecked());
  EXPECT_TRUE(Check(2)->isChecked());
  EXPECT_FALSE(Check(3)->isChecked());
  EXPECT_FALSE(Check(4)->isChecked());
  EXPECT_EQ(SelectedOptions(), (std::array<bool, 5>{false, false, false, true, false}));
  ASSERT_EQ(Fonts()->count(), 3);
  EXPECT_EQ(Fonts()->itemText(1), "DejaVu Sans");  // the desktop's list, in its order
  EXPECT_EQ(Fonts()->currentText(), "Arial");
  EXPECT_EQ(Slots()->currentText(), "Set Color 1");
  ASSERT_EQ(Slots()->count(), 10);
  for (int n = 1; n <= 10; ++n)
    EXPECT_EQ(Slots()->itemText(n - 1), QStringLiteral("Set Color %1").arg(n));
  EXPECT_EQ(m_dialog->focusWidget(), Child<QPushButton>("Command1"));

  const QColor black(0, 0, 0), blue(0, 0, 255), greyBlue(128, 128, 192), magenta(255, 128, 255);
  const std::array<QColor, 10> expected = {black, blue, greyBlue, magenta, black,
                                           black, blue, greyBlue, magenta, black};
  for (int n = 1; n <= 10; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Swatch(n)->text(), QString::number(n));
    EXPECT_EQ(Swatch(n)->palette().color(QPalette::Window), expected[n - 1]);
    EXPECT_EQ(ShownColor(Swatch(n)), expected[n - 1]);
    EXPECT_TRUE(Swatch(n)->toolTip().isEmpty());
  }
  // Loading alone writes nothing.
  EXPECT_EQ(m_fade, DefaultFade());
}

TEST_F(SetColorsTest, ControlsSitAtTheirPlacesWithTheirCaptions) {
  Open();
  struct Expected {
    const char* name;
    QString caption;
    QRect rect;
  };
  const Expected controls[] = {
      {"Command1", "SET", {112, 8, 49, 17}},
      {"Combo1", "Set Color 1", {8, 8, 97, 21}},
      {"Check1", "WaVy", {8, 32, 57, 17}},
      {"Check2", "Bold", {8, 56, 49, 13}},
      {"Check3", "Italic", {72, 32, 81, 13}},
      {"Check4", "Underlined", {72, 56, 81, 17}},
      {"Label1", "1", {8, 80, 9, 17}},
      {"Label9", "9", {136, 80, 9, 17}},
      {"Label10", "10", {152, 80, 17, 17}},
      {"Combo2", "Arial", {8, 112, 153, 21}},
      {"Label11", "Set Number Of Colors To Fade", {8, 136, 145, 17}},
      {"Option1", "2 Colors", {16, 160, 65, 13}},
      {"Option2", "3 Colors", {88, 160, 65, 13}},
      {"Option3", "4 Colors", {16, 184, 65, 13}},
      {"Option4", "5 Colors", {88, 184, 65, 13}},
      {"Option5", "10 Colors", {48, 200, 65, 13}},
  };
  for (const Expected& control : controls) {
    SCOPED_TRACE(control.name);
    QWidget* widget = Child<QWidget>(control.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), control.rect);
    QString caption;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) caption = button->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) caption = combo->currentText();
    EXPECT_EQ(caption, control.caption);
  }
  EXPECT_TRUE(Check(2)->font().bold());
  EXPECT_TRUE(Check(3)->font().italic());
  EXPECT_TRUE(Check(4)->font().underline());
  EXPECT_FALSE(Check(1)->font().bold() || Check(1)->font().italic() ||
               Check(1)->font().underline());

  // Tab runs from SET through the selectors and boxes to the option buttons.
  const char* order[] = {"Command1", "Combo1",  "Check1",  "Check2",  "Check3",  "Check4",
                         "Combo2",   "Option1", "Option2", "Option3", "Option4", "Option5"};
  QStringList expected;
  for (const char* name : order) expected << QString::fromLatin1(name);
  QStringList chain;
  QWidget* start = Child<QWidget>("Command1");
  QWidget* widget = start;
  do {
    if (expected.contains(widget->objectName())) chain << widget->objectName();
    widget = widget->nextInFocusChain();
  } while (widget != start && chain.size() < 100);
  EXPECT_EQ(chain, expected);
}

TEST_F(SetColorsTest, LoadReadsFlagsFontAndColourCountAsText) {
  struct Case {
    const char* name;
    int flag;
    std::string font;
    std::string numberColors;
    bool ticked;
    QString shownFont;
    int option;  // 0: none selected
  };
  const Case cases[] = {
      {"two", 1, "Courier New", "2", true, "Courier New", 1},
      {"three", 0, "Times", "3", false, "Times", 2},
      {"four", 1, "Arial", "4", true, "Arial", 3},
      {"ten", 1, "Arial", "10", true, "Arial", 5},
      {"greyedFlagIsClear", 2, "Arial", "5", false, "Arial", 4},
      {"emptyFontShowsArial", 0, "", "5", false, "Arial", 4},
      {"unknownFontKept", 0, "No Such Face", "5", false, "No Such Face", 4},
      {"leadingZeroSelectsNone", 0, "Arial", "05", false, "Arial", 0},
      {"emptyCountSelectsNone", 0, "Arial", "", false, "Arial", 0},
      {"paddedCountSelectsNone", 0, "Arial", " 5", false, "Arial", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_fade = DefaultFade();
    m_fade.wavy = m_fade.bold = m_fade.italic = m_fade.underlined = c.flag;
    m_fade.font = c.font;
    m_fade.colorCount = c.numberColors;
    Open();
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(Check(n)->isChecked(), c.ticked) << "Check" << n;
    EXPECT_EQ(Fonts()->currentText(), c.shownFont);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(Option(n)->isChecked(), n == c.option) << "Option" << n;
    delete m_dialog;
  }
}

TEST_F(SetColorsTest, SetWritesTheChosenColourAtOnce) {
  Open();
  Slots()->setCurrentIndex(2);
  m_desktop.colorAnswers = {255};
  ClickSet();

  ASSERT_EQ(m_desktop.pickerInitials.size(), 1u);
  EXPECT_EQ(m_desktop.pickerInitials[0], std::optional<std::uint32_t>(12615808));
  FadeSettings expected = DefaultFade();
  expected.colors[2] = "255";
  EXPECT_EQ(m_fade, expected);  // without closing the dialog
  EXPECT_EQ(Swatch(3)->palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_EQ(ShownColor(Swatch(3)), QColor(255, 0, 0));

  // The last slot, with a colour of every channel.
  Slots()->setCurrentIndex(9);
  m_desktop.colorAnswers = {0x123456};
  ClickSet();
  EXPECT_EQ(m_fade.colors[9], "1193046");
  EXPECT_EQ(ShownColor(Swatch(10)), QColor(0x56, 0x34, 0x12));
}

TEST_F(SetColorsTest, CancelledPickerChangesNothing) {
  Open();
  Slots()->setCurrentIndex(1);
  m_desktop.colorAnswers = {std::nullopt};
  ClickSet();
  EXPECT_EQ(m_desktop.pickerInitials.size(), 1u);
  EXPECT_EQ(m_fade, DefaultFade());
  EXPECT_EQ(ShownColor(Swatch(2)), QColor(0, 0, 255));
}

TEST_F(SetColorsTest, PickerStartsFromTheSlotsColourWhenItIsOne) {
  struct Case {
    const char* name;
    std::string color;
    std::optional<std::uint32_t> initial;
  };
  const Case cases[] = {
      {"black", "0", 0u},
      {"white", "16777215", 16777215u},
      {"blanksAround", " 255 ", 255u},
      {"beyond24Bits", "16777216", std::nullopt},
      {"letters", "abc", std::nullopt},
      {"empty", "", std::nullopt},
      {"negative", "-1", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_fade.colors[4] = c.color;
    m_desktop.pickerInitials.clear();
    Open();
    Slots()->setCurrentIndex(4);
    ClickSet();
    ASSERT_EQ(m_desktop.pickerInitials.size(), 1u);
    EXPECT_EQ(m_desktop.pickerInitials[0], c.initial);
    EXPECT_EQ(m_fade.colors[4], c.color);  // cancelled
    delete m_dialog;
  }
}

TEST_F(SetColorsTest, TypedSlotTextNamingNoSlotChangesNothing) {
  for (const char* typed : {"Set Color 11", "set color 1", "Set Color 1 ", "Set Color 01", ""}) {
    SCOPED_TRACE(typed);
    Open();
    Slots()->setEditText(QString::fromLatin1(typed));
    m_desktop.colorAnswers = {255};
    m_desktop.pickerInitials.clear();
    ClickSet();
    ASSERT_EQ(m_desktop.pickerInitials.size(), 1u);  // the picker is still shown
    EXPECT_EQ(m_desktop.pickerInitials[0], std::nullopt);
    EXPECT_EQ(m_fade, DefaultFade());
    delete m_dialog;
  }
  // A typed text that does name a slot works like choosing it.
  Open();
  Slots()->setEditText(QStringLiteral("Set Color 7"));
  m_desktop.colorAnswers = {65280};
  ClickSet();
  EXPECT_EQ(m_fade.colors[6], "65280");
}

TEST_F(SetColorsTest, CloseWritesBackFlagsFontAndCount) {
  m_fade.italic = 2;  // greyed: shown clear, so written back as 0
  Open();
  Check(1)->setChecked(true);
  Check(2)->setChecked(false);
  Check(4)->setChecked(true);
  Fonts()->setEditText(QStringLiteral("Verdana"));
  Option(5)->setChecked(true);
  m_dialog->close();

  FadeSettings expected = DefaultFade();
  expected.wavy = 1;
  expected.bold = 0;
  expected.underlined = 1;
  expected.font = "Verdana";
  expected.colorCount = "10";
  EXPECT_EQ(m_fade, expected);
}

TEST_F(SetColorsTest, CountThatMatchesNoOptionSurvivesClose) {
  m_fade.colorCount = "05";
  Open();
  EXPECT_EQ(SelectedOptions(), (std::array<bool, 5>{}));
  m_dialog->close();
  EXPECT_EQ(m_fade.colorCount, "05");
}

TEST_F(SetColorsTest, ClearedFontIsWrittenBackEmpty) {
  Open();
  Fonts()->setEditText(QString());
  m_dialog->close();
  EXPECT_EQ(m_fade.font, "");
}

TEST_F(SetColorsTest, EscClosesTheDialogAsItsCloseBoxDoesAndWritesBackOnce) {
  const struct {
    const char* name;
    std::function<void()> close;
  } cases[] = {
      {"close box", [&] { m_dialog->close(); }},
      {"Esc on SET", [&] { SendEscape(Child<QPushButton>("Command1")); }},
      {"Esc while typing a font", [&] { SendEscape(Fonts()->lineEdit()); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_fade = DefaultFade();
    Open().setAttribute(Qt::WA_DeleteOnClose);  // as the main window shows it
    Check(1)->setChecked(true);
    Fonts()->setEditText(QStringLiteral("Verdana"));
    Option(5)->setChecked(true);

    c.close();
    EXPECT_FALSE(m_dialog->isVisible());
    FadeSettings expected = DefaultFade();
    expected.wavy = 1;
    expected.font = "Verdana";
    expected.colorCount = "10";
    EXPECT_EQ(m_fade, expected);

    // A later change to the fade stays: nothing writes back a second time on the way out.
    m_fade.colorCount = "2";
    RunDeferredDeletes();
    EXPECT_EQ(m_dialog, nullptr);
    EXPECT_EQ(m_fade.colorCount, "2");
  }
}

TEST_F(SetColorsTest, AccessibilityNamesEachSwatchByTheColourItShows) {
  const struct {
    std::string text;
    QString name;
  } cases[] = {
      {"0", "Colour 3: #000000"},
      {"12615808", "Colour 3: #8080C0"},
      {"16777215", "Colour 3: #FFFFFF"},
      {"16777471", "Colour 3: #FF0010"},  // beyond 24 bits, as the swatch shows it
      {"", "Colour 3: not set"},
      {"abc", "Colour 3: not set"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    m_fade.colors[2] = c.text;
    Open();
    QAccessibleInterface* swatch = QAccessible::queryAccessibleInterface(Swatch(3));
    EXPECT_EQ(swatch->text(QAccessible::Name), c.name);
    EXPECT_EQ(swatch->text(QAccessible::Description), Swatch(3)->toolTip());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Swatch(10))->text(QAccessible::Name),
              "Colour 10: #000000");
    delete m_dialog;
  }

  // A colour set with SET renames its swatch at once.
  m_fade.colors[0] = "abc";
  Open();
  m_desktop.colorAnswers = {255};
  ClickSet();
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Swatch(1))->text(QAccessible::Name),
            "Colour 1: #FF0000");
}

TEST_F(SetColorsTest, AccessibilityNamesTheSelectorsByWhatTheySelect) {
  Open();
  const struct {
    QComboBox* combo;
    QString name;
    QString value;
  } cases[] = {
      {Slots(), "Colour to set", "Set Color 1"},
      {Fonts(), "Font", "Arial"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    QAccessibleInterface* combo = QAccessible::queryAccessibleInterface(c.combo);
    EXPECT_EQ(combo->role(), QAccessible::ComboBox);
    EXPECT_EQ(combo->text(QAccessible::Name), c.name);
    EXPECT_EQ(combo->text(QAccessible::Value), c.value);
    EXPECT_TRUE(combo->state().editable);
    ASSERT_EQ(combo->childCount(), 2);
    EXPECT_EQ(combo->child(0)->object(), c.combo->view());
    EXPECT_EQ(combo->child(1)->object(), c.combo->lineEdit());
    EXPECT_EQ(combo->indexOfChild(combo->child(1)), 1);

    // Its action opens the list and closes it again.
    QAccessibleActionInterface* actions = combo->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_TRUE(c.combo->view()->isVisible());
    EXPECT_TRUE(combo->state().expanded);
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_FALSE(c.combo->view()->isVisible());
  }
}

TEST_F(SetColorsTest, SwatchOfATextThatIsNoColourIsHatchedAndExplained) {
  struct Case {
    const char* name;
    std::string text;
    QString tip;
  };
  const Case cases[] = {
      {"letters", "abc", "Colour 3 is not a valid colour value: \"abc\""},
      {"negative", "-5", "Colour 3 is not a valid colour value: \"-5\""},
      {"fraction", "1.5", "Colour 3 is not a valid colour value: \"1.5\""},
      {"beyond32Bits", "99999999999", "Colour 3 is not a valid colour value: \"99999999999\""},
      {"empty", "", "Colour 3 is empty: it holds no colour value"},
      {"markup from a fade file", "<img src=x>",
       "Colour 3 is not a valid colour value: \"<img src=x>\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_fade.colors[2] = c.text;
    Open();
    QLabel* swatch = Swatch(3);
    // What the tooltip shows, read as Qt reads it.
    QTextDocument shown;
    if (Qt::mightBeRichText(swatch->toolTip())) {
      shown.setHtml(swatch->toolTip());
    } else {
      shown.setPlainText(swatch->toolTip());
    }
    EXPECT_EQ(shown.toPlainText(), c.tip);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(swatch)->text(QAccessible::Description), c.tip);
    EXPECT_EQ(swatch->palette().brush(QPalette::Window).style(), Qt::TexturePattern);
    // Neutral grey crossed by darker lines.
    const QImage image = swatch->grab().toImage();
    QSet<QRgb> colours;
    for (int y = image.height() / 2; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    }
    EXPECT_TRUE(colours.contains(QColor(192, 192, 192).rgb()));
    EXPECT_TRUE(colours.contains(QColor(128, 128, 128).rgb()));
    EXPECT_TRUE(Swatch(2)->toolTip().isEmpty());
    delete m_dialog;
  }
}

TEST_F(SetColorsTest, SwatchBeyond24BitsShowsTheChannelsReading) {
  m_fade.colors[0] = "16777471";  // 10000FF: red FF, green 00, blue 10
  Open();
  EXPECT_EQ(ShownColor(Swatch(1)), QColor(255, 0, 16));
  EXPECT_TRUE(Swatch(1)->toolTip().isEmpty());
}

TEST_F(SetColorsTest, ColourSetWithSetClearsTheHatch) {
  m_fade.colors[0] = "abc";
  Open();
  m_desktop.colorAnswers = {16711680};
  ClickSet();
  EXPECT_EQ(m_fade.colors[0], "16711680");
  EXPECT_EQ(Swatch(1)->palette().brush(QPalette::Window).style(), Qt::SolidPattern);
  EXPECT_EQ(ShownColor(Swatch(1)), QColor(0, 0, 255));
  EXPECT_TRUE(Swatch(1)->toolTip().isEmpty());
}

TEST_F(SetColorsTest, ShowOnTopBringsBackAMinimizedDialog) {
  SetColors& dialog = Open();
  dialog.showMinimized();
  ASSERT_TRUE(dialog.isMinimized());
  dialog.ShowOnTop();
  EXPECT_FALSE(dialog.isMinimized());
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(SetColorsTest, EnterInASelectorOpensNoPicker) {
  SetColors& dialog = Open();
  for (const char* name : {"Combo1", "Combo2"}) {
    QComboBox* combo = dialog.findChild<QComboBox*>(QString::fromLatin1(name));
    ASSERT_NE(combo, nullptr);
    combo->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(combo, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(combo, &release);
    EXPECT_TRUE(m_desktop.pickerInitials.empty()) << name;
  }
  EXPECT_FALSE(dialog.findChild<QPushButton*>(QStringLiteral("Command1"))->isDefault());
}

TEST_F(SetColorsTest, CloseOverridesCountChangedWhileOpenButKeepsColours) {
  SetColors* dialog = &Open();
  // A random fade while the dialog is open: new colours and a new count.
  m_fade.colors[0] = "255";
  m_fade.colors[1] = "65280";
  m_fade.colorCount = "2";
  m_fade.font = "Times";
  dialog->close();

  FadeSettings expected = DefaultFade();
  expected.colors[0] = "255";
  expected.colors[1] = "65280";
  EXPECT_EQ(m_fade, expected);
}

TEST_F(SetColorsTest, DestroyedWithoutCloseWritesNothingBack) {
  auto owner = std::make_unique<QWidget>();
  QPointer<SetColors> dialog = new SetColors(m_fade, m_desktop, owner.get());
  dialog->show();
  dialog->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
  dialog->findChild<QRadioButton*>(QStringLiteral("Option1"))->setChecked(true);
  dialog->findChild<QComboBox*>(QStringLiteral("Combo2"))->setEditText(QStringLiteral("Times"));
  m_desktop.colorAnswers = {255};
  dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();

  // The program ends the way the main window ends it: the event loop exits, windows stay.
  QTimer::singleShot(0, owner.get(), [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  EXPECT_NE(dialog, nullptr);
  owner.reset();  // takes the dialog with it
  EXPECT_EQ(dialog, nullptr);

  FadeSettings expected = DefaultFade();
  expected.colors[0] = "255";  // set with SET, so already in the fade
  EXPECT_EQ(m_fade, expected);
}

}  // namespace
}  // namespace tintrix

namespace tintrix {
namespace {

TEST_F(SetColorsTest, TheFiveCountsShareOneTypeSize) {
  Open();
  for (int n = 2; n <= 5; ++n) {
    EXPECT_EQ(Option(n)->font().pointSizeF(), Option(1)->font().pointSizeF()) << n;
  }
  for (int n = 1; n <= 5; ++n) EXPECT_LE(Option(n)->sizeHint().width(), Option(n)->width()) << n;
}

}  // namespace
}  // namespace tintrix
