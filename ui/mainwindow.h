#pragma once

#include <QPoint>
#include <QWidget>

#include <string>

#include "engine/fadesettings.h"

class QCloseEvent;
class QLineEdit;
class QMenu;
class QMouseEvent;

namespace tintrix {

class Desktop;
class SettingsStore;

// The program's one permanent window: a frameless, always-on-top strip, 270 x 70 logical
// pixels, listed in the taskbar. It paints its own title strip (`Picture1`, with the close
// mark over `Label3`) and body (`Picture2`, with the words "Options" over `Label1` and "Help"
// over `Label2`), holds the entry field `Text1`, owns the current fade, and starts and ends
// the program.
//
// A mouse press with any button on "Options" or "Help" opens the Options menu (`sOptions`) or
// the Help menu (`sHelp`) at the pointer; a click on the close mark closes the window; a press
// anywhere else on the two panels drags the window.
//
// Closing the window in any way (close mark, Exit, Alt+F4, the taskbar) runs Form_Unload,
// which stores the fade and ends the program.
//
// `desktop` and `store` must outlive the window.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(Desktop& desktop, SettingsStore& store, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start steps, in order: MakeTopmost, PlaceAtTopCentre, LoadFadeSettings (which also
  // turns an empty font into "Arial"), then shows the window. `Text1` keeps its initial text
  // "Enter Text To Fade Here"; the text to fade is never loaded or stored.
  void Form_Load();

  // The close steps: stores the fade with SaveFadeSettings (a failure is shown as an error
  // message), then ends the program at once with QCoreApplication::exit(0), so that no other
  // window runs its own close-time steps. Runs only the first time it is called; closeEvent
  // calls it.
  void Form_Unload();

  // The program's one current fade. Its TextToFade is the text of `Text1`: typing updates it
  // at once, and every command handler below shows a changed TextToFade in `Text1`. Code that
  // changes TextToFade from outside calls SyncText1() afterwards.
  FadeSettings& fade() { return m_fade; }
  const FadeSettings& fade() const { return m_fade; }
  void SyncText1();

  // The fade file most recently opened or saved in this run; empty at start.
  const std::string& currentFadeFile() const { return m_currentFadeFile; }

  // The command handlers of the two menus, one per menu item.
  void sMakeHTML_Click();
  void sClipboard_Click();
  void sOpenFade_Click();
  void sSaveFade_Click();
  void sFadeInfo_Click();
  void s2Color_Click();
  void s3Color_Click();
  void s4color_Click();
  void s5color_Click();
  void s10color_Click();
  // Shows the configuration dialog on this window's fade, modeless; while one is open it is
  // shown again rather than a second one created.
  void sConfigure_Click();
  // Shows the about box, modal, owned by this window; returns when it is closed.
  void sAbout_Click();
  // Opens the maker's website in the user's browser.
  void sRegister_Click();
  // Opens the outside sign-up page in the user's browser.
  void sAA_Click();
  // Minimizes this window.
  void sMinimize_Click();
  // Closes this window, and so runs Form_Unload.
  void sExit_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void Label1_MouseDown(const QPoint& globalPos);
  void Label2_MouseDown(const QPoint& globalPos);
  void Label3_Click();
  void Picture_MouseDown(const QPoint& globalPos, Qt::MouseButton button);
  // Follows the pointer after a drag the system refused.
  void Picture_MouseMove(const QPoint& globalPos);

  Desktop& m_desktop;
  SettingsStore& m_store;
  FadeSettings m_fade;
  std::string m_currentFadeFile;
  bool m_unloaded = false;

  QWidget* m_picture1;
  QWidget* m_picture2;
  QWidget* m_label1;
  QWidget* m_label2;
  QWidget* m_label3;
  QLineEdit* m_text1;
  QMenu* m_options;
  QMenu* m_help;
  QMenu* m_random;

  bool m_closePressed = false;  // a press on the close mark awaits its release
  bool m_dragging = false;      // a press on the panels is held: the window follows it
  bool m_systemMove = false;    // the system is asked to take over at the first move
  QPoint m_dragOffset;          // pointer position minus window position at the press
};

}  // namespace tintrix
