#pragma once

#include <string>

#include "engine/fadesettings.h"
#include "engine/status.h"
#include "platform/desktop.h"

namespace tintrix {

// Replaces the fade's stored fields with those of the fade file at `path`, read once, as
// opening a fade file does: colours, font and count take the file's text (empty when a key is
// missing); a style flag takes a value that rounds (half to even) to 0, 1 or 2 and keeps its
// own otherwise. The text to fade stays. A path that is no fade file (missing, not a regular file,
// over kMaxProfileFileBytes, or without a "Main" section holding any of the sixteen fade
// keys) changes nothing and fails with kNotFound, `PATH is not a fade file.`; a file that
// cannot be read fails with kIoError, `Could not read PATH: REASON`.
Status ApplyFadeFile(FadeSettings& fade, const std::string& path);

// Writes "FadeName" = `name` and the sixteen fade keys into the fade file at `path`, in that
// order, exactly as that many single key writes would (every other line kept, a key that
// cannot be stored passed over), but replacing the file once. On failure the file stays as
// it was: kIoError `Could not write PATH: REASON`, or kInvalidArgument `PATH is not a fade
// file.` for a path that is not a regular file or is larger than any fade file.
Status SaveFadeFile(const FadeSettings& fade, const std::string& name, const std::string& path);

// "Save Fade": asks for a name, then for a file (the dialog opens in the folder of
// currentFadeFile, else in the home folder), and saves the fade there (SaveFadeFile).
// currentFadeFile becomes empty once the file dialog is reached and the chosen path when it
// is completed, and keeps that path when the save fails; a failure is shown as an error.
void SaveFade(const FadeSettings& fade, Desktop& desktop, std::string& currentFadeFile);

// "Open Fade": asks for a file (the dialog opens as for Save) and applies it (ApplyFadeFile).
// currentFadeFile as for Save; a file that is no fade file is reported as an error and
// changes nothing in the fade.
void OpenFade(FadeSettings& fade, Desktop& desktop, std::string& currentFadeFile);

// "Fade Info": shows the FadeName of currentFadeFile, read now, or "No Fade File was opened
// or saved!" when there is none.
void ShowFadeInfo(Desktop& desktop, const std::string& currentFadeFile);

}  // namespace tintrix
