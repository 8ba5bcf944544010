#include "cli/fadetool.h"

#include <istream>
#include <optional>
#include <ostream>

#include "cli/fadejob.h"
#include "cli/fadeoptions.h"
#include "engine/text.h"
#include "store/fadefilecommands.h"

namespace tintrix {

int RunFadeTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err, const StoredFadeLoader& loadStoredFade, int outFd) {
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
  FadeJobStats stats;
  if (Status status = RunFadeJob(fade, job, in, out, outFd, line->stats ? &stats : nullptr);
      !status.ok()) {
    return fail(status);
  }
  if (line->stats) {
    err << "tintrix-fade: " << stats.characters << " characters, " << stats.bytes << " bytes, "
        << stats.colorTags << " colour tags\n";
  }
  return 0;
}

}  // namespace tintrix
