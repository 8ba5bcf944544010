#pragma once

#include "engine/colorcount.h"
#include "engine/fadesettings.h"
#include "platform/desktop.h"

namespace tintrix {

// A random fade of `count` colours: re-seeds the desktop's random source from the clock,
// replaces the first count.value() colours with random colour values 0 ... 16777212 in order,
// and sets NumberColors to the count. Nothing else changes and nothing is shown.
void RandomFade(FadeSettings& fade, Desktop& desktop, ColorCount count);

// The five random-fade commands, one per colour count.
void s2Color_Click(FadeSettings& fade, Desktop& desktop);
void s3Color_Click(FadeSettings& fade, Desktop& desktop);
void s4color_Click(FadeSettings& fade, Desktop& desktop);
void s5color_Click(FadeSettings& fade, Desktop& desktop);
void s10color_Click(FadeSettings& fade, Desktop& desktop);

}  // namespace tintrix
