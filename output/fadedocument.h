#pragma once

#include <string>

#include "engine/fadegenerator.h"
#include "engine/fadesettings.h"
#include "engine/status.h"

namespace tintrix {

// Appends the generator's markup for the fade: the request for NumberColors colours with the
// first colours, TextToFade and the wavy flag (WaVy not 0). A count that is a number but none
// of 2, 3, 4, 5, 10 appends nothing. Fails, appending nothing, when NumberColors is not a
// number (ParseNumberColors) or when one of the colours used is not a colour value
// (FadeRequest); both are kInvalidArgument.
// The fade is taken by value: the hooks let window events run while the text is dealt, and
// those may change the window's fade, which must not change a fade half made.
Status AppendFadeMarkup(FadeSettings fade, const FadeHooks& hooks, std::string& out);

// The fade markup wrapped in the style tags that are on (Bold, Italic, Underlined exactly 1;
// bold innermost) and in the font tag: `<font face="FONT">...</font>`, all on one line.
// Fails as AppendFadeMarkup does; `document` is then left as it was.
// Takes the fade by value for the same reason as AppendFadeMarkup.
Status BuildFadeDocument(FadeSettings fade, const FadeHooks& hooks, std::string& document);

}  // namespace tintrix
