#pragma once

#include <string>

#include "engine/fadesettings.h"
#include "engine/status.h"
#include "platform/desktop.h"

namespace tintrix {

// Replaces the fade's stored fields with those of the fade file at `path`, as opening a fade
// file does: colours, font and count take the file's text (empty when a key is missing); a
// style flag takes a value that rounds (half to even) to 0, 1 or 2 and keeps its own
// otherwise. A path that is no fade file (missing, unreadable, or without a "Main" section
// holding any of the sixteen fade keys) changes nothing and fails with `PATH is not a fade
// file.`.
Status ApplyFadeFile(FadeSettings& fade, const std::string& path);

// "Save Fade": asks for a name, then for a file, and writes the name and the sixteen fade
// keys there. currentFadeFile becomes empty once the file dialog is reached and the chosen
// path when it is completed. Write failures are passed over silently.
void sSaveFade_Click(const FadeSettings& fade, Desktop& desktop, std::string& currentFadeFile);

// "Open Fade": asks for a file and applies it (ApplyFadeFile). currentFadeFile as for Save;
// a file that is no fade file is reported as an error and changes nothing in the fade.
void sOpenFade_Click(FadeSettings& fade, Desktop& desktop, std::string& currentFadeFile);

// "Fade Info": shows the FadeName of currentFadeFile, read now, or "No Fade File was opened
// or saved!" when there is none.
void sFadeInfo_Click(Desktop& desktop, const std::string& currentFadeFile);

}  // namespace tintrix
