#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fadefit.h"
#include "engine/markupformat.h"
#include "engine/status.h"
#include "output/fadereading.h"

namespace tintrix {

// What --read does: read fades back from their documents.
struct ReadJob {
  std::optional<std::string> file;        // the documents; none or "-": standard input
  std::optional<MarkupFormat> from;       // none: each document's format found from itself
  int maxError = 0;                       // FitOptions::maxError
  std::optional<std::string> saveFade;    // a fade file to write the one document's fade to
  bool text = false;                      // print the text read instead of the options
  std::optional<std::string> outputFile;  // none: standard output
};

// A document whose fade was found only approximately.
struct ApproximateFit {
  std::size_t line;  // 1 for the first
  int largestError;
};

// Reads each line of the job's file (or of `in`) as one document (ReadFade), finds its fade
// (FitFade; with saveFade only the window's counts; unless saveFade, a fit with colours at
// positions, FitStops, wins when it has fewer colours than the evenly spread fit taken, exact
// or within maxError, or when none is taken) and writes for each one line: the options that
// make that fade again (FadeOptionsLine), or its text. Every line is read before
// anything is written, so that a failure writes nothing: the output goes at the end to the
// output file (replaced in one step), or to `outFd` with write(2) when it is not negative,
// or to `out`. With saveFade, the input must hold exactly one document, whose fade is written
// there (SaveFadeFile, in one step, named with the text read) before the output.
// Adds to `approximate` each document whose fit is not exact.
// Fails with kInvalidArgument `line N: REASON` for a line that is no document or has no
// character in a colour tag, or `--save-fade saves the fade of one document, not N`;
// kIoError `Could not read FILE: REASON` (or standard input); `FILE is a folder`; and the
// fade file's or the output's errors.
Status RunReadJob(const ReadJob& job, std::istream& in, std::ostream& out, int outFd,
                  std::vector<ApproximateFit>& approximate);

// The companion's options that make `fit`'s fade of the reading's text again, in the
// reading's format, whatever fade they start from: every colour up to the count, the wave
// and the styles on or off, the font where the format writes one (quoted for a POSIX shell),
// and --format, --merge and --markup-only where the document shows them. --markup-only
// stands for a document with neither a font tag nor a style, which it makes byte for byte.
// With `positions` (one for each colour, in tenths of a percent), each colour is written as
// #RRGGBB@P; without, as a colour value.
std::string FadeOptionsLine(const FadeReading& reading, const FadeFit& fit,
                            std::span<const int> positions = {});

// `word` as a POSIX shell reads it back as one word: unchanged when it needs no quoting,
// else in single quotes, a quote itself as '\''.
std::string ShellWord(std::string_view word);

}  // namespace tintrix
