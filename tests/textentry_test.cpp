#include "ui/textentry.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

namespace tintrix {
namespace {

void Send(QWidget* widget, QEvent::Type type, int x, Qt::KeyboardModifiers modifiers = {}) {
  const QPointF at(x, widget->height() / 2);
  QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, modifiers);
  QApplication::sendEvent(widget, &event);
}

// A long text is drawn from the stretch around the cursor; presses must land where that
// stretch shows the characters, as they do in a short text.
TEST(TextEntry, PressesLandOnTheCharacterShownInALongText) {
  for (const int length : {200, TextEntry::kLongText + 1000}) {
    SCOPED_TRACE(length);
    TextEntry entry(nullptr);
    entry.resize(250, 21);
    entry.show();
    QString text;
    for (int i = 0; i < length; ++i) text += QChar(u'a' + i % 26);
    entry.setText(text);
    entry.end(false);
    // QLineEdit scrolls its text when it paints.
    for (int i = 0; i < 100 && !(entry.windowHandle() && entry.windowHandle()->isExposed()); ++i) {
      QApplication::processEvents();
    }
    entry.repaint();
    const int right = entry.width() - 4;  // the cursor at the end of a long line
    const int perCharacter = entry.fontMetrics().horizontalAdvance(QStringLiteral("m"));
    Send(&entry, QEvent::MouseButtonPress, right - 10 * perCharacter);
    const int pressed = entry.cursorPosition();
    EXPECT_GE(pressed, length - 20);
    EXPECT_LE(pressed, length - 5);
    Send(&entry, QEvent::MouseMove, right);
    EXPECT_EQ(entry.selectionStart(), pressed);
    EXPECT_EQ(entry.selectedText().size(), length - pressed);
    Send(&entry, QEvent::MouseButtonRelease, right);
  }
}

}  // namespace
}  // namespace tintrix
