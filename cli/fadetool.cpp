#include "cli/fadetool.h"

#include <istream>
#include <optional>
#include <ostream>

#include "cli/fadejob.h"
#include "cli/fadeoptions.h"
#include "cli/motionjob.h"
#include "cli/readjob.h"
#include "engine/text.h"
#include "store/fadefilecommands.h"

namespace tintrix {

namespace {

// --read: FILE as --read=FILE or as the one TEXT.
template <typename Fail>
int RunRead(const CommandLine& line, std::istream& in, std::ostream& out, std::ostream& err,
            int outFd, const Fail& fail) {
  if (line.readFile && line.text) return fail(Status::Usage("--read reads one FILE"));
  ReadJob job;
  job.file = line.readFile ? line.readFile : line.text;
  job.from = line.from;
  job.maxError = line.maxError;
  job.saveFade = line.saveFade;
  job.text = line.printText;
  job.outputFile = line.output;
  std::vector<ApproximateFit> approximate;
  if (Status status = RunReadJob(job, in, out, outFd, approximate); !status.ok()) {
    return fail(status);
  }
  for (const ApproximateFit& fit : approximate) {
    err << "tintrix-fade: line " << fit.line << ": approximate: largest error " << fit.largestError
        << " of 255\n";
  }
  return 0;
}

// What --stats adds with --background: the lowest contrast, and with --min-contrast how many
// characters it changed.
std::string ContrastStats(const FadeJobStats& stats, const ColorStageOptions& options) {
  std::string text;
  if (stats.contrast.lowest) {
    text += ", lowest contrast " + ContrastRatioText(*stats.contrast.lowest) + ":1 against " +
            ColorName(*options.background);
  }
  if (options.minContrast) {
    text += ", " + std::to_string(stats.contrast.changed) + " characters changed";
  }
  return text;
}

}  // namespace

int RunFadeTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err, const StoredFadeLoader& loadStoredFade, int outFd, int inFd) {
  // One line on `err` for every failure; the exit status follows from its kind.
  const auto fail = [&](const Status& status) {
    err << "tintrix-fade: " << EscapeControlCharacters(status.message()) << "\n";
    if (status.code() == StatusCode::kUsage) {
      err << "Try 'tintrix-fade --help'.\n";
      return 2;
    }
    return 1;
  };

  std::optional<CommandLine> line;
  try {
    line = ParseArguments(args, FadeToolOptions());
  } catch (const UsageError& error) {
    return fail(Status::Usage(error.message()));
  }
  switch (line->answer) {
    case CommandLine::Answer::kHelp:
      out << UsageText(FadeToolOptions());
      return 0;
    case CommandLine::Answer::kVersion:
      out << "tintrix-fade " TINTRIX_VERSION "\n";
      return 0;
    case CommandLine::Answer::kNone:
      break;
  }

  if (line->colorStage.minContrast && !line->colorStage.background) {
    return fail(Status::Usage("--min-contrast needs --background"));
  }
  const bool moving = line->motion.kind != Motion::Kind::kNone;
  if (line->read && moving) {
    return fail(Status::Usage(std::string(line->motion.option) + " cannot be used with --read"));
  }
  if (line->read) return RunRead(*line, in, out, err, outFd, fail);
  if (!line->readOnly.empty()) {
    return fail(Status::Usage(std::string(line->readOnly.front()) + " needs --read"));
  }

  FadeSettings fade = line->defaults || !loadStoredFade ? DefaultFade() : loadStoredFade();
  if (line->fadeFile) {
    if (Status status = ApplyFadeFile(fade, *line->fadeFile); !status.ok()) return fail(status);
  }
  for (const auto& edit : line->edits) edit(fade);

  FadeJob job;
  job.markupOnly = line->markupOnly;
  job.seed = line->seed;
  job.text = line->text;
  job.outputFile = line->output;
  job.markup = line->markup;
  job.maxLength = line->maxLength;
  job.block = line->block;
  job.colorStage = line->colorStage;
  job.colorStage.tally = line->stats;
  FadeJobStats stats;
  FadeJobStats* const counted = line->stats ? &stats : nullptr;
  int stoppedBy = 0;
  if (Status status =
          moving ? RunMotionJob(fade, job, line->motion, in, out, outFd, counted, stoppedBy)
                 : RunFadeJob(fade, job, in, out, outFd, counted, inFd);
      !status.ok()) {
    return fail(status);
  }
  // A signal that stopped an animation ends the program as it would have, 128 + its number.
  if (stoppedBy != 0) return 128 + stoppedBy;
  if (line->stats) {
    err << "tintrix-fade: " << stats.characters << " characters, " << stats.bytes << " bytes, "
        << stats.colorTags << " colour tags" << ContrastStats(stats, line->colorStage) << "\n";
  }
  return 0;
}

}  // namespace tintrix
