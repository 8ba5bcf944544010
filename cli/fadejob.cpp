#include "cli/fadejob.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/documentoutput.h"
#include "cli/linereader.h"
#include "engine/randomsource.h"
#include "output/fadedocument.h"
#include "output/graphemes.h"

namespace tintrix {

namespace {

Status TooLargeABlock() {
  return Status::InvalidArgument("The input is larger than " +
                                 std::to_string(kMaxBlockBytes >> 20) +
                                 " MiB, the most --block reads");
}

std::size_t CountCodePoints(std::string_view bytes) {
  std::size_t count = 0;
  for (char c : bytes) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// Counts what passes on to the real output.
class CountingOutput final : public DocumentOutput {
 public:
  // Counts only when `counting`: the count reads every byte written.
  CountingOutput(DocumentOutput& output, bool counting) : m_output(output), m_counting(counting) {}

  Status Append(std::string_view bytes) override {
    if (m_counting) {
      m_characters += CountCodePoints(bytes);
      m_bytes += bytes.size();
    }
    return m_output.Append(bytes);
  }
  Status Finish() override { return m_output.Finish(); }

  std::size_t characters() const { return m_characters; }
  std::size_t bytes() const { return m_bytes; }

 private:
  DocumentOutput& m_output;
  bool m_counting;
  std::size_t m_characters = 0;
  std::size_t m_bytes = 0;
};

// The documents of one fade under each option set that --max-length tries, made when first
// asked for.
class SizeTries {
 public:
  SizeTries(const FadeSettings& fade, const FadeJob& job)
      : m_fade(fade), m_markupOnly(job.markupOnly) {
    const auto add = [&](MarkupOptions options) {
      const bool known = std::any_of(m_options.begin(), m_options.end(), [&](const auto& o) {
        return o.merge == options.merge && o.skipBlanks == options.skipBlanks &&
               o.levels == options.levels;
      });
      if (!known) m_options.push_back(options);
    };
    MarkupOptions options = job.markup;
    add(options);
    options.merge = true;
    add(options);
    options.skipBlanks = true;
    add(options);
    for (int levels : {16, 8, 4, 3, 2}) {
      options.levels = std::min(levels, job.markup.levels);
      add(options);
    }
    m_documents.resize(m_options.size());
  }

  std::size_t size() const { return m_options.size(); }

  // The document of try k; fails as FadeDocument::Create does.
  StatusOr<const FadeDocument*> Get(std::size_t k) {
    if (!m_documents[k]) {
      TINTRIX_ASSIGN_OR_RETURN(
          m_documents[k],
          FadeDocument::Create(m_fade, m_markupOnly, m_options[k], ColorCounts::kAny));
    }
    return &*m_documents[k];
  }

 private:
  const FadeSettings& m_fade;
  bool m_markupOnly;
  std::vector<MarkupOptions> m_options;
  std::vector<std::optional<FadeDocument>> m_documents;
};

// Appends one text's document, made by a FadeDocument: its Append of a text, or its
// AppendInColors of a block's line.
using MakeDocument = std::function<Status(const FadeDocument&, const FadeHooks&, std::string&)>;

// Appends to `kept` the document `make` makes with the first try that has at most `limit` code
// points; the wave starts from `random` as it is for every try and ends as the kept try left
// it. A try that grows past the limit is counted to its end but not kept, so memory stays
// bounded whatever the text.
Status AppendWithinLimit(SizeTries& tries, const MakeDocument& make, std::size_t limit,
                         ClockSeededRandom& random, std::size_t& tags, std::string& kept) {
  const ClockSeededRandom start = random;
  std::size_t shortest = SIZE_MAX;
  for (std::size_t k = 0; k < tries.size(); ++k) {
    TINTRIX_ASSIGN_OR_RETURN(const FadeDocument* const document, tries.Get(k));
    random = start;
    std::size_t length = 0;
    std::size_t tryTags = 0;
    std::string fitting;  // the try's drained part while it still fits
    FadeHooks hooks;
    hooks.wave = &random;
    hooks.colorTags = &tryTags;
    hooks.drain = [&](std::string_view bytes) {
      length += CountCodePoints(bytes);
      if (length <= limit) {
        fitting += bytes;
      } else {
        std::string().swap(fitting);
      }
      return Status::Ok();
    };
    std::string rest;
    TINTRIX_RETURN_IF_ERROR(make(*document, hooks, rest));
    length += CountCodePoints(rest);
    if (length <= limit) {
      kept += fitting;
      kept += rest;
      tags += tryTags;
      return Status::Ok();
    }
    shortest = std::min(shortest, length);
  }
  random = start;
  return Status::InvalidArgument("The shortest document made is " + std::to_string(shortest) +
                                 " characters long, more than --max-length " +
                                 std::to_string(limit));
}

// The documents of one job, written into the output a block at a time as their texts come.
class DocumentStream {
 public:
  DocumentStream(FadeDocument document, const FadeSettings& fade, const FadeJob& job,
                 DocumentOutput& output, bool counting)
      : m_document(std::move(document)),
        m_job(job),
        m_counted(output, counting),
        m_random(job.seed ? ClockSeededRandom(*job.seed) : ClockSeededRandom()) {
    if (job.maxLength) m_tries.emplace(fade, job);
    m_hooks.wave = &m_random;
    if (counting) m_hooks.colorTags = &m_tags;
    m_hooks.drain = [this](std::string_view bytes) { return m_counted.Append(bytes); };
    m_block.reserve(kDrainBytes + (64 << 10));
  }

  // The document of one more text, and its line feed.
  Status Add(std::string_view text) {
    return Add([text](const FadeDocument& document, const FadeHooks& hooks, std::string& out) {
      return document.Append(text, hooks, out);
    });
  }

  // The document `make` makes, and its line feed.
  Status Add(const MakeDocument& make) {
    if (m_tries) {
      // Held whole: a later document that fits nowhere must leave the output empty.
      TINTRIX_RETURN_IF_ERROR(
          AppendWithinLimit(*m_tries, make, *m_job.maxLength, m_random, m_tags, m_block));
    } else {
      TINTRIX_RETURN_IF_ERROR(make(m_document, m_hooks, m_block));
    }
    m_block += '\n';
    ++m_documents;
    if (m_tries || m_block.size() < kDrainBytes) return Status::Ok();
    Status written = m_counted.Append(m_block);
    m_block.clear();
    return written;
  }

  const FadeDocument& document() const { return m_document; }

  // Writes what is left and ends the output; what was written, counted when asked for.
  StatusOr<FadeJobStats> Finish() {
    TINTRIX_RETURN_IF_ERROR(m_counted.Append(m_block));
    TINTRIX_RETURN_IF_ERROR(m_counted.Finish());
    return FadeJobStats{m_counted.characters() - m_documents, m_counted.bytes() - m_documents,
                        m_tags};
  }

 private:
  const FadeDocument m_document;
  const FadeJob& m_job;
  std::optional<SizeTries> m_tries;
  CountingOutput m_counted;
  ClockSeededRandom m_random;
  std::size_t m_tags = 0;
  FadeHooks m_hooks;
  std::string m_block;
  std::size_t m_documents = 0;
};

// Writes the documents of the texts `next` gives into `output`, a block at a time.
template <typename NextText>
Status WriteDocuments(const FadeSettings& fade, const FadeJob& job, NextText next,
                      DocumentOutput& output, FadeJobStats* stats) {
  TINTRIX_ASSIGN_OR_RETURN(
      FadeDocument document,
      FadeDocument::Create(fade, job.markupOnly, job.markup, ColorCounts::kAny));
  DocumentStream stream(std::move(document), fade, job, output, stats != nullptr);
  for (std::string_view text; next(text);) TINTRIX_RETURN_IF_ERROR(stream.Add(text));
  TINTRIX_ASSIGN_OR_RETURN(const FadeJobStats written, stream.Finish());
  if (stats) *stats = written;
  return Status::Ok();
}

// Writes the document of each line of `block`, its characters in the colours of their places
// in one fade over the block.
Status WriteBlock(const FadeSettings& fade, const FadeJob& job, std::string_view block,
                  DocumentOutput& output, FadeJobStats* stats) {
  TINTRIX_ASSIGN_OR_RETURN(
      FadeDocument document,
      FadeDocument::Create(fade, job.markupOnly, job.markup, ColorCounts::kAny));
  const std::vector<std::string_view> lines = BlockLines(block);
  const BlockPlaces places(*job.block, lines);
  const std::vector<std::uint32_t> colors = document.Colors(places.count());
  DocumentStream stream(std::move(document), fade, job, output, stats != nullptr);
  std::vector<std::uint32_t> lineColors;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const CharacterText characters = SplitCharacters(lines[k]);
    places.Of(k, characters, lineColors);
    if (!colors.empty()) {
      for (std::uint32_t& color : lineColors) color = colors[color];
    }
    TINTRIX_RETURN_IF_ERROR(
        stream.Add([&](const FadeDocument& made, const FadeHooks& hooks, std::string& out) {
          return made.AppendInColors(characters, lineColors, hooks, out);
        }));
  }
  TINTRIX_ASSIGN_OR_RETURN(const FadeJobStats written, stream.Finish());
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
                  int outFd, FadeJobStats* stats) {
  // Checked before the output is opened, so that a bad fade or too large a block leaves an
  // output file alone.
  TINTRIX_RETURN_IF_ERROR(
      FadeDocument::Create(fade, job.markupOnly, job.markup, ColorCounts::kAny));
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
  if (job.block) return WriteBlock(fade, job, job.text ? *job.text : block, *output, stats);
  if (job.text) {
    bool done = false;
    return WriteDocuments(
        fade, job,
        [&](std::string_view& text) {
          text = *job.text;
          return !std::exchange(done, true);
        },
        *output, stats);
  }
  try {
    LineReader reader(in);
    return WriteDocuments(
        fade, job, [&](std::string_view& line) { return reader.Next(line); }, *output, stats);
  } catch (const std::ios::failure&) {
    return Status::IoError("Could not read standard input");
  }
}

}  // namespace tintrix
