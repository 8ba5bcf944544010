#include "cli/documentstream.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tintrix {

namespace {

// Appends to `kept` the document `make` makes with the first try that has at most `limit` code
// points; the wave starts from `random` as it is for every try and ends as the kept try left
// it. A try that grows past the limit is counted to its end but not kept, so memory stays
// bounded whatever the text; one that make refuses (kOutOfRange) is passed over. Gives the
// kept try's document.
StatusOr<const FadeDocument*> AppendWithinLimit(SizeTries& tries, const MakeDocument& make,
                                                std::size_t limit, ClockSeededRandom& random,
                                                std::size_t& tags, std::string& kept) {
  const ClockSeededRandom start = random;
  std::size_t shortest = SIZE_MAX;
  Status refused;  // the last try that broke a rule of the colours
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
    Status made = make(*document, hooks, rest);
    if (made.code() == StatusCode::kOutOfRange) {
      refused = std::move(made);
      continue;
    }
    TINTRIX_RETURN_IF_ERROR(made);
    length += CountCodePoints(rest);
    if (length <= limit) {
      kept += fitting;
      kept += rest;
      tags += tryTags;
      return document;
    }
    shortest = std::min(shortest, length);
  }
  random = start;
  std::string message = "The shortest document made is " + std::to_string(shortest) +
                        " characters long, more than --max-length " + std::to_string(limit);
  if (!refused.ok()) message += "; " + refused.message();
  return Status::InvalidArgument(std::move(message));
}

}  // namespace

std::size_t CountCodePoints(std::string_view bytes) {
  std::size_t count = 0;
  for (char c : bytes) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

Status CountingOutput::Append(std::string_view bytes) {
  if (m_counting) {
    m_characters += CountCodePoints(bytes);
    m_bytes += bytes.size();
  }
  return m_output.Append(bytes);
}

SizeTries::SizeTries(const FadeSettings& fade, const FadeJob& job)
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

StatusOr<const FadeDocument*> SizeTries::Get(std::size_t k) {
  if (!m_documents[k]) {
    TINTRIX_ASSIGN_OR_RETURN(m_documents[k], FadeDocument::Create(m_fade, m_markupOnly,
                                                                  m_options[k], ColorCounts::kAny));
  }
  return &*m_documents[k];
}

DocumentStream::DocumentStream(FadeDocument document, const FadeSettings& fade, const FadeJob& job,
                               DocumentOutput& output, bool counting)
    : m_document(std::move(document)),
      m_job(job),
      m_counted(output, counting),
      m_random(job.seed ? ClockSeededRandom(*job.seed) : ClockSeededRandom()) {
  if (job.maxLength) m_tries.emplace(fade, job);
  m_lastLevels = m_document.levels();
  m_hooks.wave = &m_random;
  m_hooks.shortColors = &m_shortColors;
  if (counting) m_hooks.colorTags = &m_tags;
  m_hooks.drain = [this](std::string_view bytes) { return m_counted.Append(bytes); };
  m_block.reserve(kDrainBytes + (64 << 10));
}

Status DocumentStream::Add(std::string_view text) {
  if (m_tries) {
    return Add([text](const FadeDocument& document, const FadeHooks& hooks, std::string& out) {
      return document.Append(text, hooks, out);
    });
  }
  TINTRIX_RETURN_IF_ERROR(m_stamps.Append(text, m_hooks, m_block));
  return Added();
}

Status DocumentStream::Add(LongLine& line) {
  FadeHooks hooks = m_hooks;
  std::size_t written = 0;
  hooks.progress = [&] { line.Reach(written += kProgressCharacters); };
  // Every byte is a character: the line was found to be ASCII.
  TINTRIX_RETURN_IF_ERROR(m_document.Append(CharacterText::Bytes(line.text()), hooks, m_block));
  return Added();
}

Status DocumentStream::Add(const MakeDocument& make) {
  if (m_tries) {
    // Held whole: a later document that fits nowhere must leave the output empty.
    TINTRIX_ASSIGN_OR_RETURN(
        const FadeDocument* const kept,
        AppendWithinLimit(*m_tries, make, *m_job.maxLength, m_random, m_tags, m_block));
    m_lastLevels = kept->levels();
  } else {
    TINTRIX_RETURN_IF_ERROR(make(m_document, m_hooks, m_block));
  }
  return Added();
}

Status DocumentStream::Added() {
  m_block += '\n';
  ++m_documents;
  if (m_tries || m_block.size() < kDrainBytes) return Status::Ok();
  Status written = m_counted.Append(m_block);
  m_block.clear();
  return written;
}

StatusOr<FadeJobStats> DocumentStream::Finish() {
  TINTRIX_RETURN_IF_ERROR(m_counted.Append(m_block));
  TINTRIX_RETURN_IF_ERROR(m_counted.Finish());
  FadeJobStats stats;
  stats.characters = m_counted.characters() - m_documents;
  stats.bytes = m_counted.bytes() - m_documents;
  stats.colorTags = m_tags;
  return stats;
}

}  // namespace tintrix
