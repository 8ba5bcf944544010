#pragma once

#include <string>

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
