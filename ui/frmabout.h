#pragma once

#include <QDialog>
#include <QPixmap>

#include "ui/desktop.h"
#include "ui/sysinfo.h"

class QLabel;
class QPushButton;

namespace tintrix {

// The about box: the program's name, its maker and what it does, a button that starts the
// system information tool and two web links. Modal, centred on the screen, above other
// windows; OK, Enter and Esc close it. Its web links go through OpenWebPage.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  // Builds and loads the box; show it with exec(). `desktop` shows the message when no system
  // information tool can be started; `launcher` finds and starts that tool. Neither is owned;
  // both must outlive the box. `parent` is the owner window and may be null.
  explicit frmAbout(Desktop& desktop, QWidget* parent = nullptr,
                    ProgramLauncher& launcher = DefaultProgramLauncher());

 private:
  void BuildControls();
  void Form_Load();

  Desktop& m_desktop;
  ProgramLauncher& m_launcher;
};

// The program's icon drawn at `size` × `size` pixels: a rounded tile fading from blue through
// greyish blue to light magenta, with a white "T".
QPixmap PaintAppIcon(int size);

}  // namespace tintrix
