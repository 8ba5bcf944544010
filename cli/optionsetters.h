#pragma once

#include <optional>
#include <string>

#include "cli/fadeoptions.h"
#include "engine/fadesettings.h"
#include "engine/markupformat.h"

// What the options set: the OptionSetter of each entry of the option table. A setter throws
// UsageError, naming the option, when the value is no value of it.

namespace tintrix::options {

template <bool CommandLine::*kFlag>
void SetTrue(CommandLine& line, const OptionUse&) {
  line.*kFlag = true;
}

template <bool MarkupOptions::*kFlag>
void SetMarkupFlag(CommandLine& line, const OptionUse&) {
  line.markup.*kFlag = true;
}

template <std::optional<std::string> CommandLine::*kText>
void SetText(CommandLine& line, const OptionUse& use) {
  line.*kText = *use.value;
}

// A text of the fade (the colour count, the font), as given.
template <std::string FadeSettings::*kText>
void SetFadeText(CommandLine& line, const OptionUse& use) {
  line.edits.push_back([value = *use.value](FadeSettings& fade) { fade.*kText = value; });
}

// A style flag: on, or off in its --no- form.
template <int FadeSettings::*kStyle>
void SetStyle(CommandLine& line, const OptionUse& use) {
  line.edits.push_back([on = use.negated ? 0 : 1](FadeSettings& fade) { fade.*kStyle = on; });
}

template <CommandLine::Answer kAnswer>
void SetAnswer(CommandLine& line, const OptionUse&) {
  line.answer = kAnswer;
}

// The whole numbers: --seed and --max-length.
void SetSeed(CommandLine& line, const OptionUse& use);
void SetMaxLength(CommandLine& line, const OptionUse& use);

// The choices of --format, --block (none: the default mode) and --blend.
void SetFormat(CommandLine& line, const OptionUse& use);
void SetBlock(CommandLine& line, const OptionUse& use);
void SetBlend(CommandLine& line, const OptionUse& use);

// --color K=VALUE[@P]: the value in decimal, as #RRGGBB or #RGB, or a CSS colour name (red in
// the low byte once read); P, a position from 0 to 100 with at most one decimal.
void SetColor(CommandLine& line, const OptionUse& use);

// The motion: --phase P (-1 < P < 1), --frames F, --animate[=SECONDS], --moving SECONDS. The
// numbers take at most three decimals; only one of the four may be given.
void SetPhase(CommandLine& line, const OptionUse& use);
void SetFrames(CommandLine& line, const OptionUse& use);
void SetAnimate(CommandLine& line, const OptionUse& use);
void SetMoving(CommandLine& line, const OptionUse& use);

// --background COLOUR (any value --color takes) and --min-contrast R (1 to 21, at most three
// decimals).
void SetBackground(CommandLine& line, const OptionUse& use);
void SetMinContrast(CommandLine& line, const OptionUse& use);

// --read and the options only it takes, which each note their name in `readOnly`.
void SetRead(CommandLine& line, const OptionUse& use);
void SetFrom(CommandLine& line, const OptionUse& use);
void SetMaxError(CommandLine& line, const OptionUse& use);
void SetSaveFade(CommandLine& line, const OptionUse& use);
void SetPrintText(CommandLine& line, const OptionUse& use);

}  // namespace tintrix::options
