#pragma once

#include <span>
#include <string>

#include "cli/fadeoptions.h"

namespace tintrix {

// The shell completions of tintrix-fade, made from a table of options (FadeToolOptions).
// Each offers every name of every option (and "--"), and nothing after "--". After an option
// that takes an argument, and after "--name=", each offers what the option's Values say:
// files, the choices (kPrefix ones with no space after them, and after one of those the
// option's `assigned` values: "--color 1=" offers the colours' names) or nothing; an optional
// argument only after "=". The descriptions are the options' ShortHelp, and the choices' own.
// The scripts are written for bash-completion, zsh's compsys (_arguments) and fish.

// The bash completion, installed as share/bash-completion/completions/tintrix-fade.
std::string BashCompletion(std::span<const Option> options);

// The zsh completion function, installed as _tintrix-fade.
std::string ZshCompletion(std::span<const Option> options);

// The fish completion, installed as tintrix-fade.fish.
std::string FishCompletion(std::span<const Option> options);

}  // namespace tintrix
