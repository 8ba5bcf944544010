#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "cli/colorstage.h"
#include "engine/fadesettings.h"
#include "engine/markupformat.h"
#include "engine/status.h"
#include "output/blocklayout.h"

namespace tintrix {

// What the companion does once its options are read, besides the fade itself.
struct FadeJob {
  bool markupOnly = false;                // the fade markup without font and style tags
  std::optional<std::uint64_t> seed;      // for the wave; none: seeded from the clock
  std::optional<std::string> text;        // the one text; none: each line of the input
  std::optional<std::string> outputFile;  // none: standard output
  MarkupOptions markup;                   // format, blend, merge, skip blanks
  std::optional<std::size_t> maxLength;   // the longest document, in code points
  std::optional<BlockMode> block;         // fade the lines as one block
  ColorStageOptions colorStage;           // positions and contrast (ColorStage)
};

// The most input a block fade reads, which it holds whole.
inline constexpr std::size_t kMaxBlockBytes = std::size_t{64} << 20;

// What was written: the documents' lengths without their final line feeds, summed.
struct FadeJobStats {
  std::size_t characters = 0;  // code points (bytes that do not continue a UTF-8 sequence)
  std::size_t bytes = 0;
  std::size_t colorTags = 0;
  // With a background: the characters' colours against it.
  ContrastCount contrast;
};

// Makes the document of the fade (all of `fade` but its text) for the job's text or for each
// line of `in` (LineReader), each followed by a line feed, and writes them in blocks of about
// a MiB as they are made: to the output file, which replaces the old one once all is written,
// or to standard output, `outFd` with write(2) when it is not negative and `out` otherwise.
// A huge line costs little more memory than the line itself, or much less (`inFd` below).
// With maxLength, each document that is longer is made again with more and more of the size
// options (--merge; --merge --skip-blanks; then those with 16, 8, 4, 3 and 2 levels per
// channel), each try with the same wave, and the first that fits is kept; all documents are
// held until the last one fits, so that a failure writes nothing. When no try fits, fails
// with kInvalidArgument naming the shortest try's length and the limit.
// With `block`, the whole input (the job's text, or `in`) is read first and cut into lines
// (BlockLines), and each line's characters get the colours of their places (BlockPlaces) in
// one fade over the block; each line is a document, maxLength applying to each. An input of
// more than kMaxBlockBytes fails with kInvalidArgument before anything is written.
// Every colour count from 2 to kMaxFadeColors makes a fade (ColorCounts::kAny).
// Fails, writing nothing, when no fade can be made (FadeDocument::Create); with kIoError
// "Could not read standard input" when reading fails, or the output's error (DocumentOutput).
// The output file then stays as it was. Sets `stats` on success, when it is given (counting
// costs a pass over every byte written).
// `inFd`, when not negative, is `in`'s file descriptor: when it is a regular file, and the job
// has neither maxLength nor a colour stage, a line longer than LineReader::kLongLineBytes, all
// ASCII, is read as it is written (LongLine), in a few MiB whatever its size.
Status RunFadeJob(const FadeSettings& fade, const FadeJob& job, std::istream& in, std::ostream& out,
                  int outFd, FadeJobStats* stats = nullptr, int inFd = -1);

}  // namespace tintrix
