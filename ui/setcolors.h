#pragma once

#include <QDialog>

#include <array>
#include <optional>

#include "engine/fadesettings.h"
#include "platform/desktop.h"

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tintrix {

// The configuration dialog: edits the program's one fade by hand. A colour chosen with "SET"
// goes into the fade at once; the style flags, the font face and the number of colours are
// written back when the dialog is closed through its close box or with Esc, and only then. A
// dialog that is destroyed without being closed (the program ending while it is open) writes
// nothing back.
//
// To accessibility each swatch is named by its colour, "Colour 3: #8080C0" (the red, green and
// blue it shows) or "Colour 3: not set" when its text is no colour value; the selectors are
// "Colour to set" and "Font".
//
// The dialog is modeless and stays above other windows. It is built afresh from the fade each
// time it is created; it does not follow changes other commands make to the fade while it is
// open, and its close-time write-back overrides them.
class SetColors : public QDialog {
  Q_OBJECT

 public:
  // Builds and loads the dialog from `fade`; it is not shown. `fade` and `desktop` are not
  // owned and must outlive the dialog (a child of the fade's owner does). `parent` owns the
  // dialog and may be null.
  explicit SetColors(FadeSettings& fade, Desktop& desktop, QWidget* parent = nullptr);

  // Shows the dialog, also when the user had minimized it, above other windows.
  void ShowOnTop();

 signals:
  // The dialog has written into the fade: a colour set with "SET", or the close-time
  // write-back.
  void FadeChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Esc closes the dialog as its close box does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void LoadFromFade();
  void StoreIntoFade();
  void PickSelectedColor();

  // The colour slot (0 ... 9) named by the slot selector's text, or nullopt for a typed text
  // that names none.
  std::optional<int> SelectedSlot() const;
  // Shows colour `slot` of the fade on its swatch, and names the swatch by it.
  void PaintSwatch(int slot);

  FadeSettings& m_fade;
  Desktop& m_desktop;

  QPushButton* m_setButton = nullptr;
  QComboBox* m_colorSelector = nullptr;
  std::array<QCheckBox*, 4> m_styleChecks{};
  std::array<QLabel*, 10> m_swatches{};
  QComboBox* m_fontSelector = nullptr;
  QLabel* m_countCaption = nullptr;
  std::array<QRadioButton*, 5> m_countOptions{};
};

}  // namespace tintrix
