#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "engine/fadesettings.h"
#include "engine/status.h"

namespace tintrix {

// What the companion does once its options are read, besides the fade itself.
struct FadeJob {
  bool markupOnly = false;                // the fade markup without font and style tags
  std::optional<std::uint64_t> seed;      // for the wave; none: seeded from the clock
  std::optional<std::string> text;        // the one text; none: each line of the input
  std::optional<std::string> outputFile;  // none: standard output
};

// Makes the document of the fade (all of `fade` but TextToFade) for the job's text or for each
// line of `in` (LineReader), each followed by a line feed, and writes them in blocks of about
// a MiB as they are made: to the output file, which replaces the old one once all is written,
// or to standard output, `outFd` with write(2) when it is not negative and `out` otherwise.
// A huge line costs little more memory than the line itself. Fails, writing nothing, when no
// fade can be made (FadeDocument::Create); with kIoError "Could not read standard input" when
// reading fails, or the output's error (DocumentOutput). The output file then stays as it was.
Status RunFadeJob(const FadeSettings& fade, const FadeJob& job, std::istream& in, std::ostream& out,
                  int outFd);

}  // namespace tintrix
