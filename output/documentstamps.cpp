#include "output/documentstamps.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "output/graphemes.h"

namespace tintrix {

DocumentStamps::DocumentStamps(const FadeDocument& document)
    : m_document(document), m_seen(kMaxCharacters + 1), m_made(kMaxCharacters + 1) {
  const std::array<bool, 256> plain = document.PlainBytes();
  std::array<bool, 256> unplain{};
  std::array<bool, 256> unplainInCharacters{};
  std::size_t placeholders = 0;
  for (std::size_t b = 0; b < unplain.size(); ++b) {
    unplainInCharacters[b] = !plain[b];
    unplain[b] = b >= 0x80 || !plain[b];
    if (!unplain[b] && placeholders < 2) m_placeholders[placeholders++] = static_cast<char>(b);
    m_characters |= b >= 0x80 && plain[b];
  }
  m_unplain = ByteSet(unplain);
  m_unplainInCharacters = ByteSet(unplainInCharacters);
  m_stamps = placeholders == 2;
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
  made[0].resize(made[0].size() + kPadding);
  stamp = Stamp{std::move(made[0]), std::move(places), stride, tags[0]};
  return true;
}

bool DocumentStamps::Put(const Stamp& stamp, std::string_view text, const FadeHooks& hooks,
                         std::string& out) {
  if (m_unplain.AnyIn(text)) return false;
  const std::size_t at = out.size();
  out.append(stamp.markup, 0, stamp.markup.size() - kPadding);
  char* const document = out.data() + at;
  // Locals, which the compiler would otherwise load again after every store of a byte.
  const std::uint32_t* const places = stamp.places.data();
  const char* const bytes = text.data();
  const std::size_t n = text.size();
  if (stamp.stride != 0) {
    // Most formats put every character's tag before it, each as long as the others. Eight
    // bytes are loaded at once and stored from the register one by one.
    char* to = document + places[0];
    const std::size_t stride = stamp.stride;
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes + k, sizeof word);
      for (int b = 0; b < 8; ++b, to += stride, word >>= 8) *to = static_cast<char>(word);
    }
    for (; k < n; ++k, to += stride) *to = bytes[k];
  } else {
    for (std::size_t k = 0; k < n; ++k) document[places[k]] = bytes[k];
  }
  if (hooks.colorTags) *hooks.colorTags += stamp.tags;
  ++m_stamped;
  return true;
}

namespace {

// Copies `size` bytes in whole words of 32: up to 31 bytes more are read from `from` and
// written at `to`, which the caller has room for and writes again after.
inline void CopyInWords(char* to, const char* from, std::size_t size) {
  for (std::size_t done = 0; done < size; done += 32) std::memcpy(to + done, from + done, 32);
}

}  // namespace

void DocumentStamps::PutCharacters(const Stamp& stamp, const CharacterText& characters,
                                   const FadeHooks& hooks, std::string& out) {
  const std::string_view text = characters.text();
  const std::size_t n = characters.size();
  const std::size_t markup = stamp.markup.size() - kPadding;
  const std::size_t at = out.size();
  const std::size_t size = at + markup - n + text.size();
  // Room for the whole words the pieces are copied in, cut off at the end; every byte up to
  // `size` is written, so none is cleared first.
  if (size + kPadding > out.capacity()) out.reserve(std::max(size + kPadding, 2 * out.capacity()));
  out.resize_and_overwrite(size + kPadding, [&](char* data, std::size_t) {
    char* const document = data + at;
    const char* const stamped = stamp.markup.data();
    const std::uint32_t* const places = stamp.places.data();
    // The stamp is copied a stretch at a time, up to the place of a character of more than one
    // byte, which moves the rest on by its size less one; the one-byte characters of a stretch
    // are put in their places in it, as Put does.
    std::size_t copied = 0;  // of the stamp
    std::size_t moved = 0;   // how far the document's places are past the stamp's
    const char* const textEnd = text.data() + text.size();
    const std::size_t stride = stamp.stride;
    CharacterText::Cursor cursor(characters);
    cursor.Walk(
        text.data(), 0, n,
        [&](std::size_t j, const char* from, std::size_t count) {
          const std::size_t last = places[j + count - 1] + 1;
          CopyInWords(document + copied + moved, stamped + copied, last - copied);
          copied = last;
          if (stride != 0) {
            char* to = document + moved + places[j];
            for (std::size_t k = 0; k < count; ++k, to += stride) *to = from[k];
          } else {
            char* const shifted = document + moved;
            for (std::size_t k = 0; k < count; ++k) shifted[places[j + k]] = from[k];
          }
        },
        [&](std::size_t j, const char* from, const char* end) {
          const std::size_t place = places[j];
          CopyInWords(document + copied + moved, stamped + copied, place - copied);
          const auto bytes = static_cast<std::size_t>(end - from);
          if (bytes <= 4 && textEnd - from >= 4) {
            std::memcpy(document + place + moved, from, 4);
          } else {
            std::memcpy(document + place + moved, from, bytes);
          }
          copied = place + 1;
          moved += bytes - 1;
        });
    std::memcpy(document + copied + moved, stamped + copied, markup - copied);
    return size;
  });
  if (hooks.colorTags) *hooks.colorTags += stamp.tags;
  ++m_stamped;
}

Status DocumentStamps::Drain(const FadeHooks& hooks, std::string& out) {
  if (!hooks.drain || out.size() < kDrainBytes) return Status::Ok();
  Status drained = hooks.drain(out);
  out.clear();
  return drained;
}

Status DocumentStamps::AppendCharacters(std::string_view text, const FadeHooks& hooks,
                                        std::string& out) {
  const CharacterText characters = SplitCharacters(text);
  const std::size_t n = characters.size();
  if (n <= kMaxCharacters && !characters.bytes() && !m_unplainInCharacters.AnyIn(text)) {
    if (const Stamp* const stamp = StampOf(n); stamp != nullptr) {
      PutCharacters(*stamp, characters, hooks, out);
      return Drain(hooks, out);
    }
  }
  return m_document.Append(characters, hooks, out);
}

Status DocumentStamps::Append(std::string_view text, const FadeHooks& hooks, std::string& out) {
  const std::size_t n = text.size();
  if (!m_stamps || n > 4 * kMaxCharacters) return m_document.Append(text, hooks, out);
  bool put = false;
  if (n <= kMaxCharacters) {
    if (m_seen[n] == Seen::kStamped) {
      put = Put(m_made[n], text, hooks, out);
    } else if (!m_unplain.AnyIn(text)) {
      const Stamp* const stamp = StampOf(n);
      put = stamp != nullptr && Put(*stamp, text, hooks, out);
    }
  }
  if (put) return Drain(hooks, out);
  // Asked only now: most texts are ASCII, and stamped above.
  if (m_characters &&
      std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })) {
    return AppendCharacters(text, hooks, out);
  }
  return m_document.Append(text, hooks, out);
}

}  // namespace tintrix
