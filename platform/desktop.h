#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/randomsource.h"

namespace tintrix {

enum class MessageIcon { None, Critical };

// Everything a command needs from the desktop. Commands never touch widgets: the program
// passes its Qt implementation (QtDesktop), the tests a recording fake.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // A modal message box with an OK button. `informative` is an extra line under the text;
  // empty for none.
  virtual void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                           const std::string& informative = {}) = 0;

  // A modal input prompt with OK and Cancel and an empty initial text. Returns the typed
  // text, or nullopt on Cancel.
  virtual std::optional<std::string> PromptText(const std::string& prompt,
                                                const std::string& title) = 0;

  // Modal open and save file dialogs for fade files, opening in `folder`. Return the chosen
  // full path, or nullopt when the user cancels or the dialog fails.
  virtual std::optional<std::string> OpenFadeFileName(const std::string& folder) = 0;
  virtual std::optional<std::string> SaveFadeFileName(const std::string& folder) = 0;

  // The modal colour picker, opened on `initial` (red in the low byte) when given. Returns the
  // chosen colour as a colour value, or nullopt on Cancel.
  virtual std::optional<std::uint32_t> PickColor(std::optional<std::uint32_t> initial) = 0;

  // The names of the font families the desktop offers, each once, as a page names them
  // (`fc-list : family`), in alphabetical order without regard to letter case.
  virtual std::vector<std::string> FontFamilies() = 0;

  // Replaces the clipboard's text (plain text only).
  virtual void SetClipboardText(const std::string& text) = 0;

  // Lets the window events that are already queued run.
  virtual void LetPendingEventsRun() = 0;

  // The program's one random source: fractions in [0, 1), re-seedable from the clock.
  virtual RandomSource& Random() = 0;
};

// The title of the program's own messages, prompts and boxes.
inline constexpr const char* kAppTitle = "Tintrix 1.0";
// The title of error messages.
inline constexpr const char* kErrorTitle = "Error";

}  // namespace tintrix
