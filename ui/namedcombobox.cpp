#include "ui/namedcombobox.h"

#include "ui/accessibility.h"

namespace tintrix {

NamedComboBox::NamedComboBox(const QString& accessibleName, QWidget* parent) : QComboBox(parent) {
  InstallAccessibleInterfaces();
  setAccessibleName(accessibleName);
}

}  // namespace tintrix
