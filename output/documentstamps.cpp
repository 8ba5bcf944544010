#include "output/documentstamps.h"

#include <algorithm>
#include <utility>

namespace tintrix {

DocumentStamps::DocumentStamps(const FadeDocument& document)
    : m_document(document), m_seen(kMaxCharacters + 1), m_made(kMaxCharacters + 1) {
  const std::array<bool, 128> plain = document.PlainBytes();
  std::size_t placeholders = 0;
  for (std::size_t b = 0; b < m_unplain.size(); ++b) {
    m_unplain[b] = b >= plain.size() || !plain[b];
    if (!m_unplain[b] && placeholders < 2) m_placeholders[placeholders++] = static_cast<char>(b);
  }
  m_stamps = placeholders == 2;
}

bool DocumentStamps::Plain(std::string_view text) const {
  // Texts that are not plain mostly show it early.
  return std::none_of(text.begin(), text.end(),
                      [&](char c) { return m_unplain[static_cast<unsigned char>(c)]; });
}

const DocumentStamps::Stamp* DocumentStamps::StampOf(std::size_t n) {
  switch (m_seen[n]) {
    case Seen::kNever:
      m_seen[n] = Seen::kOnce;
      return nullptr;
    case Seen::kOnce:
      m_seen[n] = Make(n, m_made[n]) ? Seen::kStamped : Seen::kNotStamped;
      return m_seen[n] == Seen::kStamped ? &m_made[n] : nullptr;
    case Seen::kStamped:
      return &m_made[n];
    case Seen::kNotStamped:
      break;
  }
  return nullptr;
}

bool DocumentStamps::Make(std::size_t n, Stamp& stamp) const {
  // The documents of two texts that differ in every character differ exactly where the
  // characters stand, if they are what the stamp takes them for.
  std::string made[2];
  std::size_t tags[2] = {0, 0};
  for (int k = 0; k < 2; ++k) {
    FadeHooks hooks;
    hooks.colorTags = &tags[k];
    if (!m_document.Append(std::string(n, m_placeholders[k]), hooks, made[k]).ok()) return false;
  }
  if (made[0].size() != made[1].size() || tags[0] != tags[1]) return false;
  std::vector<std::uint32_t> places;
  places.reserve(n);
  for (std::size_t i = 0; i < made[0].size(); ++i) {
    if (made[0][i] == made[1][i]) continue;
    if (made[0][i] != m_placeholders[0] || made[1][i] != m_placeholders[1]) return false;
    places.push_back(static_cast<std::uint32_t>(i));
  }
  if (places.size() != n) return false;
  std::size_t stride = n > 1 ? places[1] - places[0] : 0;
  for (std::size_t k = 1; k < n; ++k) {
    if (places[k] - places[k - 1] != stride) stride = 0;
  }
  stamp = Stamp{std::move(made[0]), std::move(places), stride, tags[0]};
  return true;
}

bool DocumentStamps::Put(const Stamp& stamp, std::string_view text, const FadeHooks& hooks,
                         std::string& out) {
  const std::size_t at = out.size();
  out += stamp.markup;
  char* const document = out.data() + at;
  // Each byte is checked as it is put: a text is looked at once. Locals, which the compiler
  // would otherwise load again after every store of a byte.
  const std::uint32_t* const places = stamp.places.data();
  const bool* const unplainBytes = m_unplain.data();
  const char* const bytes = text.data();
  bool unplain = false;
  if (stamp.stride != 0) {
    // Most formats put every character's tag before it, each as long as the others.
    char* at = document + places[0];
    const std::size_t stride = stamp.stride;
    for (std::size_t k = 0; k < text.size(); ++k, at += stride) {
      unplain |= unplainBytes[static_cast<unsigned char>(bytes[k])];
      *at = bytes[k];
    }
  } else {
    for (std::size_t k = 0; k < text.size(); ++k) {
      unplain |= unplainBytes[static_cast<unsigned char>(bytes[k])];
      document[places[k]] = bytes[k];
    }
  }
  if (unplain) {
    out.resize(at);
    return false;
  }
  if (hooks.colorTags) *hooks.colorTags += stamp.tags;
  ++m_stamped;
  return true;
}

Status DocumentStamps::Append(std::string_view text, const FadeHooks& hooks, std::string& out) {
  const std::size_t n = text.size();
  bool put = false;
  if (m_stamps && n <= kMaxCharacters) {
    if (m_seen[n] == Seen::kStamped) {
      put = Put(m_made[n], text, hooks, out);
    } else if (Plain(text)) {
      const Stamp* const stamp = StampOf(n);
      put = stamp != nullptr && Put(*stamp, text, hooks, out);
    }
  }
  if (!put) return m_document.Append(text, hooks, out);
  if (hooks.drain && out.size() >= kDrainBytes) {
    Status drained = hooks.drain(out);
    out.clear();
    return drained;
  }
  return Status::Ok();
}

}  // namespace tintrix
