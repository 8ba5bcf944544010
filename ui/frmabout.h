#pragma once

#include <QDialog>

#include "platform/ports.h"

namespace tintrix {

// The about box: the program's name, its maker and what it does, a button that starts the
// system information tool and two web links. Modal, centred on the screen, above other
// windows; OK, Enter and Esc close it. Its web links go through OpenWebPage.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  // Builds and loads the box; show it with exec(). The desktop shows the message when no
  // system information tool can be started; the shell finds and starts that tool and shows
  // the two web pages. The ports must outlive the box. `parent` is the owner window
  // and may be null.
  explicit frmAbout(const Ports& ports, QWidget* parent = nullptr);

 private:
  void BuildControls();
  void LoadContents();

  Ports m_ports;
};

}  // namespace tintrix
