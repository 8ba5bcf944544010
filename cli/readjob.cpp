#include "cli/readjob.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "cli/documentoutput.h"
#include "cli/linereader.h"
#include "engine/color.h"
#include "engine/colorcount.h"
#include "engine/colorstops.h"
#include "engine/fadesettings.h"
#include "engine/stopfit.h"
#include "engine/text.h"
#include "store/fadefilecommands.h"

namespace tintrix {

namespace {

constexpr std::string_view kStyleNames[kStyleCount] = {"underline", "italic", "bold"};

// The fade file's fade: the fit, and the styles, wave and font the document shows; what it
// does not show stays as the default fade has it.
FadeSettings SavedFade(const FadeReading& reading, const FadeFit& fit) {
  FadeSettings fade = DefaultFade();
  fade.colorCount = std::to_string(fit.colors.size());
  for (std::size_t k = 0; k < fit.colors.size() && k < fade.colors.size(); ++k) {
    fade.colors[k] = std::to_string(PackColor(fit.colors[k]));
  }
  fade.underlined = reading.styles[0] ? 1 : 0;
  fade.italic = reading.styles[1] ? 1 : 0;
  fade.bold = reading.styles[2] ? 1 : 0;
  fade.wavy = reading.wavy ? 1 : 0;
  if (TraitsOf(reading.format).font != FontQuoting::kNone) fade.font = reading.font;
  return fade;
}

Status LineError(std::size_t line, const std::string& reason) {
  return Status::InvalidArgument("line " + std::to_string(line) + ": " + reason);
}

// The documents of `input` read into `output`, one line each.
struct ReadLines {
  std::string output;
  std::size_t documents = 0;
  std::optional<FadeSettings> fade;  // the last document's, for --save-fade
  std::string text;
};

Status ReadEachLine(const ReadJob& job, std::istream& input, ReadLines& lines,
                    std::vector<ApproximateFit>& approximate) {
  FitOptions options;
  options.maxError = job.maxError;
  options.windowCounts = job.saveFade.has_value();
  LineReader reader(input);
  for (std::string_view line; reader.Next(line);) {
    const std::size_t number = ++lines.documents;
    StatusOr<FadeReading> reading = ReadFade(line, job.from);
    if (!reading.ok()) return LineError(number, reading.status().message());
    std::optional<FadeFit> fit = FitFade(reading->rgb, reading->known, options);
    if (!fit) return LineError(number, "no character in a colour tag");
    // Colours at positions win with fewer colours than the evenly spread fit that is taken
    // (an exact one, or one within --max-error), or when none is; a fade file cannot hold
    // them.
    std::vector<int> positions;
    if (!job.text && !job.saveFade) {
      const bool taken = fit->largestError <= job.maxError;
      const int most = taken ? static_cast<int>(fit->colors.size()) - 1 : kMaxFadeColors;
      if (std::optional<StopFit> stops = FitStops(reading->rgb, reading->known, most)) {
        fit = FadeFit{std::move(stops->colors), 0};
        positions = std::move(stops->positions);
      }
    }
    if (fit->largestError > 0) approximate.push_back({number, fit->largestError});
    lines.output += job.text ? reading->text : FadeOptionsLine(*reading, *fit, positions);
    lines.output += '\n';
    if (job.saveFade) {
      lines.fade = SavedFade(*reading, *fit);
      lines.text = reading->text;
    }
  }
  return Status::Ok();
}

// Opens the documents' file; a folder, which would read as empty, is refused.
Status OpenDocuments(const std::string& path, std::ifstream& file) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return Status::InvalidArgument(QuoteName(path) + " is a folder");
  }
  file.open(path, std::ios::binary);
  if (!file) return Status::IoError("Could not read " + QuoteName(path), std::strerror(errno));
  return Status::Ok();
}

// Writes every line read at once: to the output file, replaced in one step, or to standard
// output.
Status WriteLines(const ReadJob& job, std::string_view lines, std::ostream& out, int outFd) {
  std::unique_ptr<DocumentOutput> output;
  if (job.outputFile) {
    TINTRIX_ASSIGN_OR_RETURN(output, DocumentOutput::ToFile(*job.outputFile));
  } else {
    output = outFd >= 0 ? DocumentOutput::ToDescriptor(outFd) : DocumentOutput::ToStream(out);
  }
  TINTRIX_RETURN_IF_ERROR(output->Append(lines));
  return output->Finish();
}

}  // namespace

std::string ShellWord(std::string_view word) {
  const auto plain = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
  };
  if (!word.empty() && std::all_of(word.begin(), word.end(), plain)) return std::string(word);
  std::string quoted = "'";
  for (const char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string FadeOptionsLine(const FadeReading& reading, const FadeFit& fit,
                            std::span<const int> positions) {
  const FormatTraits& format = TraitsOf(reading.format);
  std::string line;
  if (reading.format != MarkupFormat::kClassic)
    line += "--format " + std::string(format.name) + " ";
  line += "--colors " + std::to_string(fit.colors.size());
  for (std::size_t k = 0; k < fit.colors.size(); ++k) {
    const Channels& color = fit.colors[k];
    line += " --color " + std::to_string(k + 1) + "=";
    if (positions.empty()) {
      line += std::to_string(PackColor(color));
    } else {
      line += '#';
      line += MarkupColor(color.red, color.green, color.blue);
      line += '@';
      line += StopPositionText(positions[k]);
    }
  }
  line += reading.wavy ? " --wavy" : " --no-wavy";
  if (reading.merged) line += " --merge";
  const bool anyStyle = reading.styles[0] || reading.styles[1] || reading.styles[2];
  // Without a font tag where the format writes one for every font, or without any style
  // where it writes none, the document is its markup alone.
  if (!reading.hasFont && (!anyStyle || format.fontWhenEmpty)) return line + " --markup-only";
  for (std::size_t s = kStyleCount; s-- > 0;) {
    line += reading.styles[s] ? " --" : " --no-";
    line += kStyleNames[s];
  }
  if (format.font != FontQuoting::kNone) line += " --font " + ShellWord(reading.font);
  return line;
}

Status RunReadJob(const ReadJob& job, std::istream& in, std::ostream& out, int outFd,
                  std::vector<ApproximateFit>& approximate) {
  const bool fromFile = job.file && *job.file != "-";
  std::ifstream file;
  if (fromFile) TINTRIX_RETURN_IF_ERROR(OpenDocuments(*job.file, file));
  ReadLines lines;
  try {
    TINTRIX_RETURN_IF_ERROR(ReadEachLine(job, fromFile ? file : in, lines, approximate));
  } catch (const std::ios::failure&) {
    return Status::IoError("Could not read " +
                           (fromFile ? QuoteName(*job.file) : std::string("standard input")));
  }
  if (job.saveFade) {
    if (lines.documents != 1) {
      return Status::InvalidArgument("--save-fade saves the fade of one document, not " +
                                     std::to_string(lines.documents));
    }
    TINTRIX_RETURN_IF_ERROR(SaveFadeFile(*lines.fade, lines.text, *job.saveFade));
  }
  return WriteLines(job, lines.output, out, outFd);
}

}  // namespace tintrix
