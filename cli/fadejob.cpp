#include "cli/fadejob.h"

#include <memory>
#include <string_view>
#include <utility>

#include "cli/documentoutput.h"
#include "cli/linereader.h"
#include "engine/randomsource.h"
#include "output/fadedocument.h"

namespace tintrix {

namespace {

// Writes the documents of the texts `next` gives into `output`, a block at a time.
template <typename NextText>
Status WriteDocuments(const FadeDocument& document, std::optional<std::uint64_t> seed,
                      NextText next, DocumentOutput& output) {
  ClockSeededRandom random = seed ? ClockSeededRandom(*seed) : ClockSeededRandom();
  FadeHooks hooks;
  hooks.wave = &random;
  hooks.drain = [&output](std::string_view bytes) { return output.Append(bytes); };
  std::string block;
  block.reserve(kDrainBytes + (64 << 10));
  std::string_view text;
  while (next(text)) {
    if (Status status = document.Append(text, hooks, block); !status.ok()) return status;
    block += '\n';
    if (block.size() >= kDrainBytes) {
      if (Status status = output.Append(block); !status.ok()) return status;
      block.clear();
    }
  }
  if (Status status = output.Append(block); !status.ok()) return status;
  return output.Finish();
}

}  // namespace

Status RunFadeJob(const FadeSettings& fade, const FadeJob& job, std::istream& in, std::ostream& out,
                  int outFd) {
  std::optional<FadeDocument> document;
  if (Status status = FadeDocument::Create(fade, job.markupOnly, document); !status.ok()) {
    return status;
  }
  std::unique_ptr<DocumentOutput> output;
  if (job.outputFile) {
    if (Status status = DocumentOutput::ToFile(*job.outputFile, output); !status.ok()) {
      return status;
    }
  } else {
    output = outFd >= 0 ? DocumentOutput::ToDescriptor(outFd) : DocumentOutput::ToStream(out);
  }
  if (job.text) {
    bool done = false;
    return WriteDocuments(
        *document, job.seed,
        [&](std::string_view& text) {
          text = *job.text;
          return !std::exchange(done, true);
        },
        *output);
  }
  try {
    LineReader reader(in);
    return WriteDocuments(
        *document, job.seed, [&](std::string_view& line) { return reader.Next(line); }, *output);
  } catch (const std::ios::failure&) {
    return Status::IoError("Could not read standard input");
  }
}

}  // namespace tintrix
