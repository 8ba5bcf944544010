#include "ui/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QMenu>

#include "ui/mainwindow.h"
#include "ui/namedcombobox.h"
#include "ui/stripspot.h"

namespace tintrix {

namespace {

// A spot of the strip: a push button whose press clicks it, and whose menu is its one child, as
// Qt shows a submenu beneath its menu item. The menu is a window of its own, and Qt lists no
// popup among the program's windows, so this is the only way down to it from the strip.
class StripSpotAccessible final : public QAccessibleWidget {
 public:
  explicit StripSpotAccessible(StripSpot* spot) : QAccessibleWidget(spot, QAccessible::Button) {}

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.hasPopup = Menu() != nullptr;
    return state;
  }

  int childCount() const override { return Menu() != nullptr ? 1 : 0; }
  QAccessibleInterface* child(int index) const override {
    if (index != 0 || Menu() == nullptr) return nullptr;
    return QAccessible::queryAccessibleInterface(Menu());
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && Menu() != nullptr && child->object() == Menu() ? 0 : -1;
  }

  QStringList actionNames() const override {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& actionName) override {
    if (actionName != pressAction()) {
      QAccessibleWidget::doAction(actionName);
    } else if (widget()->isEnabled()) {
      // Later, as Qt's buttons press: the press is asked over the accessibility bus, which
      // waits for its answer, and the close mark ends the program.
      Spot()->animateClick();
    }
  }

 private:
  StripSpot* Spot() const { return static_cast<StripSpot*>(widget()); }
  QMenu* Menu() const { return Spot()->menu(); }
};

// A combo box named by its accessible name, its shown text as its value; otherwise as Qt
// presents an editable combo box: the list and the line edit as children, opened and closed by
// its actions.
class NamedComboBoxAccessible final : public QAccessibleWidget {
 public:
  explicit NamedComboBoxAccessible(NamedComboBox* combo)
      : QAccessibleWidget(combo, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Combo()->currentText();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.expandable = true;
    state.expanded = Combo()->view()->isVisible();
    state.editable = Combo()->isEditable();
    return state;
  }

  int childCount() const override { return Combo()->isEditable() ? 2 : 1; }
  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(Combo()->view());
    if (index == 1 && Combo()->isEditable()) {
      return QAccessible::queryAccessibleInterface(Combo()->lineEdit());
    }
    return nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr) return -1;
    if (child->object() == Combo()->view()) return 0;
    if (Combo()->isEditable() && child->object() == Combo()->lineEdit()) return 1;
    return -1;
  }
  // An editable combo box is its line edit's focus proxy, so the line edit never has the focus
  // itself; it is where the typing goes all the same.
  QAccessibleInterface* focusChild() const override {
    return Combo()->isEditable() ? child(1) : nullptr;
  }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  void doAction(const QString& actionName) override {
    if (actionName != showMenuAction() && actionName != pressAction()) return;
    if (Combo()->view()->isVisible()) {
      Combo()->hidePopup();
    } else {
      Combo()->showPopup();
    }
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  NamedComboBox* Combo() const { return static_cast<NamedComboBox*>(widget()); }
};

QAccessibleInterface* ProgramWidgetInterface(const QString& className, QObject* object) {
  // Qt asks for each class from the object's own up to QObject, so the class name alone says
  // which of ours the object is.
  if (className == QLatin1String(StripSpot::staticMetaObject.className())) {
    return new StripSpotAccessible(static_cast<StripSpot*>(object));
  }
  if (className == QLatin1String(NamedComboBox::staticMetaObject.className())) {
    return new NamedComboBoxAccessible(static_cast<NamedComboBox*>(object));
  }
  // A top-level plain widget is a filler to accessibility; the strip is the program's window.
  if (className == QLatin1String(MainWindow::staticMetaObject.className())) {
    return new QAccessibleWidget(static_cast<MainWindow*>(object), QAccessible::Window);
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(ProgramWidgetInterface);
    return true;
  }();
  static_cast<void>(installed);
}

}  // namespace tintrix
