#pragma once

#include "engine/colorcount.h"
#include "engine/fadesettings.h"
#include "platform/desktop.h"

namespace tintrix {

// "2 Color Fade" ... "10 Color Fade", a random fade of `count` colours: re-seeds the desktop's
// random source from the clock, replaces the first count.value() colours with random colour values
// 0 ... 16777212 in order, and sets colorCount to the count. Nothing else changes and nothing is
// shown.
void RandomFade(FadeSettings& fade, Desktop& desktop, ColorCount count);

}  // namespace tintrix
