#include "cli/motionjob.h"

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/colorstage.h"
#include "cli/documentoutput.h"
#include "cli/documentstream.h"
#include "cli/linereader.h"
#include "cli/movingdocument.h"
#include "cli/terminalanimation.h"
#include "output/fadedocument.h"
#include "output/graphemes.h"

namespace tintrix {

namespace {

using Kind = Motion::Kind;

// The options that do not go with the motion asked for; ok when all do.
Status CheckOptions(const FadeJob& job, const Motion& motion, int outFd, bool stats) {
  const std::string option(motion.option);
  if (job.block) return Status::Usage("--block cannot be used with " + option);
  const bool whole = motion.kind == Kind::kMoving || motion.kind == Kind::kAnimate;
  if (whole && job.maxLength) return Status::Usage("--max-length cannot be used with " + option);
  if (motion.kind == Kind::kMoving && job.markup.format != MarkupFormat::kHtml) {
    return Status::Usage(option + " needs --format html");
  }
  if (motion.kind == Kind::kAnimate) {
    if (job.outputFile) return Status::Usage("--output cannot be used with " + option);
    if (stats) return Status::Usage("--stats cannot be used with " + option);
    if (outFd < 0 || isatty(outFd) != 1) {
      return Status::Usage(option + " needs standard output to be a terminal");
    }
  }
  return Status::Ok();
}

// Calls `each` with the job's text, or with each line of `in`, until it fails.
template <typename Each>
Status ForEachText(const FadeJob& job, std::istream& in, Each each) {
  if (job.text) return each(std::string_view(*job.text));
  try {
    LineReader reader(in);
    for (std::string_view line; reader.Next(line);) TINTRIX_RETURN_IF_ERROR(each(line));
  } catch (const std::ios::failure&) {
    return Status::IoError("Could not read standard input");
  }
  return Status::Ok();
}

// The colours of a text of n characters before they move: the colour stage's, when there is
// one (positions, contrast), else the plain fade's.
StageColors Unmoved(const FadeDocument& document, const ColorStage* stage, std::size_t n) {
  return stage ? stage->Colors(n) : StageColors{document.Colors(n), {}};
}

// Adds the documents of one text to `stream`, each with the wave the first starts from; counts
// each document's characters in `tally`, when there is one.
Status AddMoved(DocumentStream& stream, const FadeDocument& document, const ColorStage* stage,
                const Motion& motion, std::string_view text, std::optional<ContrastTally>& tally) {
  const CharacterText characters = SplitCharacters(text);
  const std::size_t n = characters.size();
  const StageColors unmoved = Unmoved(document, stage, n);
  const MotionLoop loop(unmoved.rgb);
  // Which characters the contrast rule changed move with their colours.
  const std::vector<std::uint32_t> changed(unmoved.changed.begin(), unmoved.changed.end());
  const std::optional<MotionLoop> changes =
      tally ? std::optional<MotionLoop>(std::in_place, changed) : std::nullopt;
  const ClockSeededRandom wave = stream.WaveState();
  const auto add = [&](std::size_t offset) {
    stream.SetWave(wave);
    TINTRIX_RETURN_IF_ERROR(
        stream.Add([&](const FadeDocument& made, const FadeHooks& hooks, std::string& out) {
          return AppendInColors(stage, made, characters, loop.At(offset), hooks, out);
        }));
    if (tally) {
      const std::span<const std::uint32_t> flags = changes->At(offset);
      const std::vector<std::uint8_t> moved(flags.begin(), flags.end());
      tally->Add(loop.At(offset), moved, stream.LastLevels());
    }
    return Status::Ok();
  };
  switch (motion.kind) {
    case Kind::kPhase:
      return add(PhaseOffset(motion.phase, n));
    case Kind::kFrames:
      for (std::size_t k = 0; k < motion.frames; ++k) {
        TINTRIX_RETURN_IF_ERROR(add(FrameOffset(k, motion.frames, n)));
      }
      return Status::Ok();
    case Kind::kMoving:
      if (tally) tally->Add(unmoved.rgb, unmoved.changed);
      return stream.Add([&](const FadeDocument& made, const FadeHooks& hooks, std::string& out) {
        return AppendMovingDocument(made, characters, loop.At(0), motion.milliseconds, hooks, out);
      });
    case Kind::kAnimate:
    case Kind::kNone:
      break;
  }
  return Status::Ok();
}

// --animate: the first text, played in ansi on the terminal.
Status Animate(const FadeSettings& fade, const FadeJob& job, const Motion& motion, std::istream& in,
               int fd, int& stoppedBy) {
  MarkupOptions ansi = job.markup;
  ansi.format = MarkupFormat::kAnsi;
  TINTRIX_ASSIGN_OR_RETURN(const FadeDocument document,
                           FadeDocument::Create(fade, job.markupOnly, ansi, ColorCounts::kAny));
  TINTRIX_ASSIGN_OR_RETURN(const std::optional<ColorStage> stage,
                           ColorStage::Create(fade, document, ansi.blend, job.colorStage));
  std::string_view text;
  std::optional<LineReader> reader;
  if (job.text) {
    text = *job.text;
  } else {
    try {
      // Only the first line: the rest may be a terminal that never ends.
      if (!reader.emplace(in).Next(text)) return Status::Ok();
    } catch (const std::ios::failure&) {
      return Status::IoError("Could not read standard input");
    }
  }
  const CharacterText characters = SplitCharacters(text);
  const MotionLoop loop(Unmoved(document, stage ? &*stage : nullptr, characters.size()).rgb);
  TINTRIX_ASSIGN_OR_RETURN(
      stoppedBy, PlayOnTerminal(fd, std::max<std::size_t>(loop.places(), 1), motion.milliseconds,
                                [&](std::size_t offset, std::string& out) {
                                  return document.AppendInColors(characters, loop.At(offset), {},
                                                                 out);
                                }));
  return Status::Ok();
}

}  // namespace

Status RunMotionJob(const FadeSettings& fade, const FadeJob& job, const Motion& motion,
                    std::istream& in, std::ostream& out, int outFd, FadeJobStats* stats,
                    int& stoppedBy) {
  stoppedBy = 0;
  TINTRIX_RETURN_IF_ERROR(CheckOptions(job, motion, outFd, stats != nullptr));
  if (motion.kind == Kind::kAnimate) return Animate(fade, job, motion, in, outFd, stoppedBy);
  // Made before the output is opened, so that a bad fade leaves an output file alone.
  TINTRIX_ASSIGN_OR_RETURN(
      FadeDocument document,
      FadeDocument::Create(fade, job.markupOnly, job.markup, ColorCounts::kAny));
  TINTRIX_ASSIGN_OR_RETURN(const std::optional<ColorStage> colorStage,
                           ColorStage::Create(fade, document, job.markup.blend, job.colorStage));
  const ColorStage* const stage = colorStage ? &*colorStage : nullptr;
  std::optional<ContrastTally> tally = stage && stats ? stage->NewTally() : std::nullopt;
  std::unique_ptr<DocumentOutput> output;
  if (job.outputFile) {
    TINTRIX_ASSIGN_OR_RETURN(output, DocumentOutput::ToFile(*job.outputFile));
  } else {
    output = outFd >= 0 ? DocumentOutput::ToDescriptor(outFd) : DocumentOutput::ToStream(out);
  }
  DocumentStream stream(document, fade, job, *output, stats != nullptr);
  TINTRIX_RETURN_IF_ERROR(ForEachText(job, in, [&](std::string_view text) {
    return AddMoved(stream, document, stage, motion, text, tally);
  }));
  TINTRIX_ASSIGN_OR_RETURN(FadeJobStats written, stream.Finish());
  if (tally) written.contrast = tally->count();
  if (stats) *stats = written;
  return Status::Ok();
}

}  // namespace tintrix
