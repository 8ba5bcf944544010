#pragma once

#include <QComboBox>

namespace tintrix {

// A combo box that accessibility names by its accessible name. On Linux Qt names a combo box
// by the text it shows and leaves what it is for to a label beside it; the configuration
// dialog's selectors have no label, so each carries its purpose as its accessible name.
class NamedComboBox final : public QComboBox {
  Q_OBJECT

 public:
  NamedComboBox(const QString& accessibleName, QWidget* parent);
};

}  // namespace tintrix
