#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/documentoutput.h"
#include "cli/fadejob.h"
#include "cli/longline.h"
#include "engine/randomsource.h"
#include "engine/status.h"
#include "output/documentstamps.h"
#include "output/fadedocument.h"

// The companion's documents on their way out: each made by a FadeDocument, tried under the
// size options --max-length allows, counted for --stats and written a block at a time.

namespace tintrix {

// Code points: the bytes that do not continue a UTF-8 sequence.
std::size_t CountCodePoints(std::string_view bytes);

// Appends one text's document, made by a FadeDocument (its Append, or its AppendInColors)
// with the hooks given, to the string given.
using MakeDocument = std::function<Status(const FadeDocument&, const FadeHooks&, std::string&)>;

// Passes what is appended on to `output`, counting it when asked.
class CountingOutput final : public DocumentOutput {
 public:
  // Counts only when `counting`: the count reads every byte written.
  CountingOutput(DocumentOutput& output, bool counting) : m_output(output), m_counting(counting) {}

  Status Append(std::string_view bytes) override;
  Status Finish() override { return m_output.Finish(); }

  std::size_t characters() const { return m_characters; }
  std::size_t bytes() const { return m_bytes; }

 private:
  DocumentOutput& m_output;
  bool m_counting;
  std::size_t m_characters = 0;
  std::size_t m_bytes = 0;
};

// The documents of one fade under each option set that --max-length tries (the job's own, then
// --merge, --merge --skip-blanks, then those with 16, 8, 4, 3 and 2 levels), each made when
// first asked for.
class SizeTries {
 public:
  SizeTries(const FadeSettings& fade, const FadeJob& job);

  std::size_t size() const { return m_options.size(); }

  // The document of try k; fails as FadeDocument::Create does.
  StatusOr<const FadeDocument*> Get(std::size_t k);

 private:
  const FadeSettings& m_fade;
  bool m_markupOnly;
  std::vector<MarkupOptions> m_options;
  std::vector<std::optional<FadeDocument>> m_documents;
};

// The documents of one job, written into `output` a block of about kDrainBytes at a time as
// they come, each followed by a line feed. With the job's maxLength each is the first try
// (SizeTries) that fits, and all are held until Finish, so that one that fits nowhere leaves
// the output empty. The wave draws from the job's seed, or from the clock.
class DocumentStream {
 public:
  // `document` makes the documents unless maxLength is set; `fade` and `job` must outlive the
  // stream. Counts what is written when `counting`.
  DocumentStream(FadeDocument document, const FadeSettings& fade, const FadeJob& job,
                 DocumentOutput& output, bool counting);
  DocumentStream(const DocumentStream&) = delete;
  DocumentStream& operator=(const DocumentStream&) = delete;

  // The document of one more text, and its line feed; short texts of plain bytes are stamped
  // (DocumentStamps).
  Status Add(std::string_view text);

  // The document of a long line, as Add(line.text()) makes it, reaching along the line as the
  // fade is written; throws as LongLine::Reach does.
  Status Add(LongLine& line);

  // The document `make` makes, and its line feed. Fails with make's failure, the output's, or
  // kInvalidArgument when no try fits maxLength (naming the shortest try's length).
  Status Add(const MakeDocument& make);

  // The wave where the next document starts it; SetWave(WaveState()) before each of several
  // documents gives them all the same wave states.
  const ClockSeededRandom& WaveState() const { return m_random; }
  void SetWave(const ClockSeededRandom& state) { m_random = state; }

  // The levels per channel the last document added was written with: fewer than the job's
  // when --max-length took a try that reduces them.
  int LastLevels() const { return m_lastLevels; }

  // Writes what is left and ends the output; what was written, counted when asked for.
  StatusOr<FadeJobStats> Finish();

 private:
  // The line feed after the document just made, and the block written when it is full.
  Status Added();

  const FadeDocument m_document;
  DocumentStamps m_stamps{m_document};
  const FadeJob& m_job;
  std::optional<SizeTries> m_tries;
  CountingOutput m_counted;
  ClockSeededRandom m_random;
  std::size_t m_tags = 0;
  ShortFadeColors m_shortColors;
  FadeHooks m_hooks;
  std::string m_block;
  std::size_t m_documents = 0;
  int m_lastLevels = 256;
};

}  // namespace tintrix
