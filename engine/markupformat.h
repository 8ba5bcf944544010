#pragma once

#include <optional>
#include <string_view>

#include "engine/blendspace.h"

namespace tintrix {

// The kinds of markup a fade can be written in. Every one uses the same characters, cut and
// colours; classic is what the window writes.
enum class MarkupFormat {
  kClassic,      // <Font Color=#RRGGBB>c, the wave in <SUB> and <SUP>
  kHtml,         // <span style="color:#rrggbb">c</span>, the wave in <sub> and <sup>
  kBbcode,       // [color=#RRGGBB]c[/color], the wave in [sub] and [sup]
  kAnsi,         // ESC[38;2;R;G;Bm wherever the colour changes; no wave
  kMinecraft,    // &#RRGGBB and the style codes before each character; no wave
  kMinimessage,  // <#rrggbb>c; no wave
};

// "classic", "html", "bbcode", "ansi", "minecraft" or "minimessage"; nullopt otherwise.
std::optional<MarkupFormat> ParseMarkupFormat(std::string_view name);

// Whether the format writes the wave; the others ignore a wavy fade's states.
constexpr bool WritesWave(MarkupFormat format) {
  return format == MarkupFormat::kClassic || format == MarkupFormat::kHtml ||
         format == MarkupFormat::kBbcode;
}

// How a fade's characters are written, beyond its colours and wave.
struct MarkupOptions {
  MarkupFormat format = MarkupFormat::kClassic;
  BlendSpace blend = BlendSpace::kRgb;
  // A colour tag only where the tag would differ from the one before (colour, and wave state
  // where the format writes one); one element then holds the whole run.
  bool merge = false;
  // A blank (Unicode White_Space) after another character joins the run of the character
  // before it, as if it had that character's colour and wave state.
  bool skipBlanks = false;
  // Levels per channel, 2 ... 256: every colour is reduced to them after the blend
  // (level = round(v * (L - 1) / 255), channel = round(level * 255 / (L - 1)), halves to even).
  int levels = 256;
  // The style codes minecraft repeats after every colour code: &n, &o, &l.
  bool underline = false;
  bool italic = false;
  bool bold = false;

  // True when the fade is written exactly as the window writes it.
  bool IsPlainClassic() const {
    return format == MarkupFormat::kClassic && blend == BlendSpace::kRgb && !merge && !skipBlanks &&
           levels >= 256;
  }
};

}  // namespace tintrix
