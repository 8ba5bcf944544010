#pragma once

#include <QAbstractButton>

class QKeyEvent;
class QMenu;
class QPaintEvent;

namespace tintrix {

// A spot of the main window's strip over a word or mark its panel paints: "Options", "Help"
// or the close mark. The spot paints nothing but a dotted focus mark, and that only while the
// keyboard has put the focus on it, so the panel's artwork shows through unchanged.
//
// Tab reaches a spot; a mouse press never focuses it, and the main window handles every mouse
// event on it as it did before spots took keys. Space, Return and Enter click a spot, and so
// does Down on one with a menu. A click of a spot with a menu opens that menu below the word,
// its first item active, as a menu bar opens its menus from the keyboard; any other spot only
// emits clicked(). Accessibility sees each spot as a push button, named by its accessible
// name, whose press action clicks it and whose one child is its menu.
class StripSpot final : public QAbstractButton {
  Q_OBJECT

 public:
  StripSpot(QWidget* parent, const char* name, const QString& accessibleName, const QRect& rect);

  // The menu a click opens, or null; not owned.
  void SetMenu(QMenu* menu) { m_menu = menu; }
  QMenu* menu() const { return m_menu; }

  // Opens the menu below the spot's left end with its first item active.
  void OpenMenu();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  QMenu* m_menu = nullptr;
};

}  // namespace tintrix
