#pragma once

#include <string>

#include "engine/fadegenerator.h"
#include "engine/fadesettings.h"
#include "platform/desktop.h"

namespace tintrix {

// The file that "Make HTML File" writes: output.htm in the user's home folder.
std::string OutputFilePath();

// The hooks through which a fade made for the window reaches the desktop: its random source,
// and its event loop, let run once per pass of the dealing and every 65,536 characters made.
FadeHooks DesktopFadeHooks(Desktop& desktop);

// "Make HTML File". An empty text ends the command silently. Otherwise the fade document
// replaces OutputFilePath() as one UTF-8 line ended by a line feed, "File saved as
// C:\output.htm" confirms it (informative line: the real path), and the text is emptied once
// the message is closed. A colour or colour count that cannot be used, a file that cannot be
// written (`Could not write PATH: REASON`), or a text too long for the memory there is ("Out
// of memory while making the fade") is reported as an error; no file changes and the text
// stays.
void MakeHtmlFile(FadeSettings& fade, Desktop& desktop);

// "Copy to Clipboard": the same document as "Make HTML File", also for an empty text,
// goes to the clipboard as plain text, without a line break; the text is emptied. Refuses
// what "Make HTML File" refuses, in the same words, and then keeps the text.
void CopyToClipboard(FadeSettings& fade, Desktop& desktop);

}  // namespace tintrix
