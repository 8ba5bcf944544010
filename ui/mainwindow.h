#pragma once

#include <QPointer>
#include <QWidget>

#include <string>

#include "engine/fadesettings.h"
#include "platform/desktop.h"
#include "platform/ports.h"
#include "store/fadeautosave.h"
#include "ui/windowdrag.h"

class QCloseEvent;
class QLineEdit;
class QMenu;

namespace tintrix {

class SetColors;
class SettingsStore;
class StripSpot;
class TextEntry;

// The program's one permanent window: a frameless, always-on-top strip, 270 x 70 logical
// pixels, listed in the taskbar. It shows its title strip (`Picture1`, with the close mark
// over `Label3`) and body (`Picture2`, with the words "Options" over `Label1` and "Help" over
// `Label2`), holds the entry field `Text1`, owns the current fade, and starts and ends the
// program.
//
// A mouse press with any button on "Options" or "Help" opens the Options menu (`sOptions`) or
// the Help menu (`sHelp`) at the pointer; a click on the close mark closes the window; a press
// anywhere else on the two panels drags the window. Each menu item (found by its objectName,
// `sMakeHTML` ... `sExit`) runs its command when triggered, with every menu closed first.
//
// The three spots take keys too (StripSpot): Tab runs from `Text1` to "Options", "Help" and
// the close mark; Space, Return, Enter or Down on a word opens its menu below it with the first
// item active, and Space, Return or Enter on the close mark closes the window as its click
// does. To accessibility the spots are push buttons named "Options", "Help" and "Close", each
// menu beneath its word, and `Text1` is "Text to fade".
//
// Closing the window in any way (close mark, Exit, Alt+F4, the taskbar, and the program's
// handling of a termination signal) runs SaveAndQuit, which stores the fade and ends the
// program. Between start and close, a changed fade is also stored within a second of the
// change (FadeAutosave), so that a program ended without its close steps loses at most that.
//
// The ports and `store` must outlive the window.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  MainWindow(const Ports& ports, SettingsStore& store, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start steps, in order: MakeTopmost, PlaceAtTopCentre, LoadFadeSettings (which also
  // turns an empty font into "Arial"), then shows the window. `Text1` keeps its initial text
  // "Enter Text To Fade Here"; the text to fade is never loaded or stored.
  void Start();

  // The close steps: stores the fade with SaveFadeSettings (a failure is shown as an error
  // message), then ends the program at once with QCoreApplication::exit(0), so that no other
  // window runs its own close-time steps. Runs only the first time it is called; closeEvent
  // calls it.
  void SaveAndQuit();

  // Follows a change of fade(): shows it in `Text1` at once and stores it within a second. The
  // commands and the configuration dialog call it; so must whoever else changes fade().
  void FadeChanged();

  // Stores the fade now when it differs from the one stored last, as when the session is about
  // to end; fails as SaveFadeSettings does.
  Status StoreFade();

  // The program's one current fade, but for its text: the text to fade is the text of
  // `Text1`, which alone holds it. A command sees it as `text` while it runs, and the text
  // it leaves is shown in `Text1`; in between, `text` here stays empty.
  FadeSettings& fade() { return m_fade; }
  const FadeSettings& fade() const { return m_fade; }

  // The fade file most recently opened or saved in this run; empty at start.
  const std::string& currentFadeFile() const { return m_currentFadeFile; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  // Runs `command` on the fade with Text1's text as its text, then shows in Text1 the text
  // the command left.
  void RunOnText(void (*command)(FadeSettings&, Desktop&));
  // Shows the configuration dialog on this window's fade, modeless; while one is open it is
  // shown again rather than a second one created.
  void ShowConfiguration();
  // Shows the about box, modal, owned by this window; returns when it is closed.
  void ShowAbout();

  Ports m_ports;
  SettingsStore& m_store;
  FadeSettings m_fade;
  FadeAutosave m_autosave{m_fade, m_store};
  std::string m_currentFadeFile;
  bool m_quitting = false;

  QWidget* m_titleStrip;
  QWidget* m_body;
  StripSpot* m_optionsSpot;
  StripSpot* m_helpSpot;
  StripSpot* m_closeSpot;
  TextEntry* m_textEntry;
  QMenu* m_optionsMenu;
  QMenu* m_helpMenu;
  QPointer<SetColors> m_setColors;  // the open configuration dialog, if any

  WindowDrag m_drag{this};
  bool m_closePressed = false;  // a press on the close mark awaits its release
};

}  // namespace tintrix
