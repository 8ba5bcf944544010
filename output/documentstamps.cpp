#include "output/documentstamps.h"

#include <utility>

namespace tintrix {

DocumentStamps::DocumentStamps(const FadeDocument& document)
    : m_document(document), m_seen(kMaxCharacters + 1), m_made(kMaxCharacters + 1) {
  const std::array<bool, 128> plain = document.PlainBytes();
  std::size_t holes = 0;
  std::size_t placeholders = 0;
  for (unsigned char b = 0x20; b < 0x7F; ++b) {
    if (plain[b]) {
      if (placeholders < 2) m_placeholders[placeholders++] = static_cast<char>(b);
    } else if (holes < m_unplain.size()) {
      m_unplain[holes++] = b;
    } else {
      return;
    }
  }
  m_stamps = placeholders == 2;
}

bool DocumentStamps::Plain(std::string_view text) const {
  // One pass of comparisons, which the compiler makes many bytes at a time; a table would
  // cost a load a byte.
  const std::array<unsigned char, 8> holes = m_unplain;
  unsigned char unplain = 0;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    unsigned char hit = static_cast<unsigned char>(b - 0x20) > 0x5E;
    for (const unsigned char hole : holes) hit |= b == hole;
    unplain |= hit;
  }
  return unplain == 0;
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
  stamp = Stamp{std::move(made[0]), std::move(places), tags[0]};
  return true;
}

Status DocumentStamps::Append(std::string_view text, const FadeHooks& hooks, std::string& out) {
  const Stamp* const stamp =
      m_stamps && text.size() <= kMaxCharacters && Plain(text) ? StampOf(text.size()) : nullptr;
  if (stamp == nullptr) return m_document.Append(text, hooks, out);
  const std::size_t at = out.size();
  out += stamp->markup;
  char* const document = out.data() + at;
  for (std::size_t k = 0; k < text.size(); ++k) document[stamp->places[k]] = text[k];
  if (hooks.colorTags) *hooks.colorTags += stamp->tags;
  ++m_stamped;
  if (hooks.drain && out.size() >= kDrainBytes) {
    Status drained = hooks.drain(out);
    out.clear();
    return drained;
  }
  return Status::Ok();
}

}  // namespace tintrix
