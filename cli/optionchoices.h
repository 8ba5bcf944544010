#pragma once

#include <cstddef>
#include <string>
#include <tuple>
#include <vector>

#include "cli/fadeoptions.h"
#include "engine/fadesettings.h"

// What the option table offers besides its words: the values the completions offer for an
// argument (Option::choices) and the notes --help writes under an option (Option::helpNote).

namespace tintrix::options {

// The colour slots --color can set.
inline constexpr std::size_t kColorSlots = std::tuple_size_v<decltype(FadeSettings::colors)>;

// The formats of kFormats, with their summaries.
std::vector<Choice> FormatChoices();

// The names ParseBlendSpace takes.
std::vector<Choice> BlendChoices();

// The modes of --block, in BlockMode's order.
std::vector<Choice> BlockChoices();

// The counts of colours the window offers.
std::vector<Choice> ColorCountChoices();

// "1=" to "32=", the starts of --color's argument.
std::vector<Choice> ColorSlotChoices();

// The colours' names (CssNamedColors), for --background and after --color's "K=".
std::vector<Choice> ColorNameChoices();

// Each format's document for "Hi" faded from red to blue, markup only, one a line after its
// name; ESC stands for the escape character, and a document too long for its line is cut
// where its second colour tag starts.
std::string FormatExamples();

// The formats' names for --from, a few a line.
std::string FormatNamesNote();

}  // namespace tintrix::options
