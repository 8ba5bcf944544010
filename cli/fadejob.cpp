#include "cli/fadejob.h"

#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/documentoutput.h"
#include "cli/documentstream.h"
#include "cli/linereader.h"
#include "output/fadedocument.h"
#include "output/graphemes.h"

namespace tintrix {

namespace {

Status TooLargeABlock() {
  return Status::InvalidArgument("The input is larger than " +
                                 std::to_string(kMaxBlockBytes >> 20) +
                                 " MiB, the most --block reads");
}

// Writes the documents of the texts `next` gives into `output`, a block at a time; with a
// colour stage, each in the stage's colours.
// The document of `text`, or of `line` where the text is a LongLine.
Status AddText(DocumentStream& stream, std::string_view text, LongLine* line) {
  return line ? stream.Add(*line) : stream.Add(text);
}

// `streamed` gives the LongLine the text is, or null.
template <typename NextText, typename Streamed>
Status WriteDocuments(const FadeSettings& fade, const FadeJob& job, const ColorStage* stage,
                      NextText next, Streamed streamed, DocumentOutput& output,
                      FadeJobStats* stats) {
  TINTRIX_ASSIGN_OR_RETURN(
      FadeDocument document,
      FadeDocument::Create(fade, job.markupOnly, job.markup, ColorCounts::kAny));
  DocumentStream stream(std::move(document), fade, job, output, stats != nullptr);
  std::optional<ContrastTally> tally = stage && stats ? stage->NewTally() : std::nullopt;
  for (std::string_view text; next(text);) {
    if (!stage) {
      TINTRIX_RETURN_IF_ERROR(AddText(stream, text, streamed()));
      continue;
    }
    // Once for the text, whichever tries --max-length makes of it.
    const CharacterText characters = SplitCharacters(text);
    const StageColors colors = stage->Colors(characters.size());
    TINTRIX_RETURN_IF_ERROR(
        stream.Add([&](const FadeDocument& made, const FadeHooks& hooks, std::string& out) {
          return stage->Append(made, characters, colors.rgb, hooks, out);
        }));
    if (tally) tally->Add(colors.rgb, colors.changed, stream.LastLevels());
  }
  TINTRIX_ASSIGN_OR_RETURN(FadeJobStats written, stream.Finish());
  if (tally) written.contrast = tally->count();
  if (stats) *stats = written;
  return Status::Ok();
}

// Turns the places of a line's characters (indices into colors.rgb) into their colours, and
// notes in `changed` which of them the contrast rule changed.
void ColorsOfPlaces(const StageColors& colors, std::vector<std::uint32_t>& line,
                    std::vector<std::uint8_t>& changed) {
  changed.clear();
  if (colors.rgb.empty()) return;
  for (std::uint32_t& color : line) {
    if (!colors.changed.empty()) changed.push_back(colors.changed[color]);
    color = colors.rgb[color];
  }
}

// Writes the document of each line of `block`, its characters in the colours of their places
// in one fade over the block.
Status WriteBlock(const FadeSettings& fade, const FadeJob& job, const ColorStage* stage,
                  std::string_view block, DocumentOutput& output, FadeJobStats* stats) {
  TINTRIX_ASSIGN_OR_RETURN(
      FadeDocument document,
      FadeDocument::Create(fade, job.markupOnly, job.markup, ColorCounts::kAny));
  const std::vector<std::string_view> lines = BlockLines(block);
  const BlockPlaces places(*job.block, lines);
  const StageColors colors =
      stage ? stage->Colors(places.count()) : StageColors{document.Colors(places.count()), {}};
  std::optional<ContrastTally> tally = stage && stats ? stage->NewTally() : std::nullopt;
  DocumentStream stream(std::move(document), fade, job, output, stats != nullptr);
  std::vector<std::uint32_t> lineColors;
  std::vector<std::uint8_t> lineChanged;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const CharacterText characters = SplitCharacters(lines[k]);
    places.Of(k, characters, lineColors);
    ColorsOfPlaces(colors, lineColors, lineChanged);
    TINTRIX_RETURN_IF_ERROR(
        stream.Add([&](const FadeDocument& made, const FadeHooks& hooks, std::string& out) {
          return AppendInColors(stage, made, characters, lineColors, hooks, out);
        }));
    if (tally) tally->Add(lineColors, lineChanged, stream.LastLevels());
  }
  TINTRIX_ASSIGN_OR_RETURN(FadeJobStats written, stream.Finish());
  if (tally) written.contrast = tally->count();
  if (stats) *stats = written;
  return Status::Ok();
}

// All of `in`, or a failure when it holds more than kMaxBlockBytes.
StatusOr<std::string> ReadBlock(std::istream& in) {
  std::string block;
  constexpr std::size_t kChunk = 1 << 20;
  while (in) {
    const std::size_t kept = block.size();
    block.resize(kept + kChunk);
    in.read(block.data() + kept, static_cast<std::streamsize>(kChunk));
    block.resize(kept + static_cast<std::size_t>(in.gcount()));
    if (block.size() > kMaxBlockBytes) return TooLargeABlock();
  }
  return block;
}

}  // namespace

Status RunFadeJob(const FadeSettings& fade, const FadeJob& job, std::istream& in, std::ostream& out,
                  int outFd, FadeJobStats* stats, int inFd) {
  // Checked before the output is opened, so that a bad fade, bad positions, a contrast no
  // colour reaches or too large a block leave an output file alone.
  TINTRIX_ASSIGN_OR_RETURN(
      const FadeDocument document,
      FadeDocument::Create(fade, job.markupOnly, job.markup, ColorCounts::kAny));
  TINTRIX_ASSIGN_OR_RETURN(const std::optional<ColorStage> colorStage,
                           ColorStage::Create(fade, document, job.markup.blend, job.colorStage));
  const ColorStage* const stage = colorStage ? &*colorStage : nullptr;
  std::string block;
  if (job.block && job.text) {
    if (job.text->size() > kMaxBlockBytes) return TooLargeABlock();
  } else if (job.block) {
    try {
      in.exceptions(std::ios::badbit);
      TINTRIX_ASSIGN_OR_RETURN(block, ReadBlock(in));
    } catch (const std::ios::failure&) {
      return Status::IoError("Could not read standard input");
    }
  }
  std::unique_ptr<DocumentOutput> output;
  if (job.outputFile) {
    TINTRIX_ASSIGN_OR_RETURN(output, DocumentOutput::ToFile(*job.outputFile));
  } else {
    output = outFd >= 0 ? DocumentOutput::ToDescriptor(outFd) : DocumentOutput::ToStream(out);
  }
  if (job.block) {
    return WriteBlock(fade, job, stage, job.text ? *job.text : block, *output, stats);
  }
  if (job.text) {
    bool done = false;
    return WriteDocuments(
        fade, job, stage,
        [&](std::string_view& text) {
          text = *job.text;
          return !std::exchange(done, true);
        },
        [] { return static_cast<LongLine*>(nullptr); }, *output, stats);
  }
  try {
    // Long lines are faded as they are read only where nothing needs the whole line first.
    LineReader reader(in, stage || job.maxLength ? -1 : inFd);
    return WriteDocuments(
        fade, job, stage, [&](std::string_view& line) { return reader.Next(line); },
        [&] { return reader.Streamed(); }, *output, stats);
  } catch (const std::ios::failure&) {
    return Status::IoError("Could not read standard input");
  }
}

}  // namespace tintrix
