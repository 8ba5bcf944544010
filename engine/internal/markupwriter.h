#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/charactertext.h"
#include "engine/fadegenerator.h"
#include "engine/status.h"

// The markup of a fade, written a block of characters at a time by a writer that grows the
// output string by what each block needs. Only the engine's writers use it.
namespace tintrix::markup {

// Stores of whole words may run this far past the bytes they mean to write.
constexpr std::size_t kSlack = 16;
// Characters blended at a time, before their markup is written.
constexpr std::size_t kBlock = 256;

// Writes markup straight into the output string, growing it by what each block needs without
// filling it first, and hands it to the hooks between blocks.
class MarkupWriter {
 public:
  MarkupWriter(std::string& out, const FadeHooks& hooks) : m_out(out), m_hooks(hooks) {}

  // Calls write(char* at), which writes at most `bytes` bytes (and whole words up to kSlack
  // past them) at the string's end and returns where it stopped.
  template <typename Write>
  void Append(std::size_t bytes, Write write) {
    const std::size_t used = m_out.size();
    // resize_and_overwrite grows the string to exactly what is asked, which block after block
    // would copy it again and again: grow it by half at least.
    if (used + bytes + kSlack > m_out.capacity()) {
      m_out.reserve(std::max(used + bytes + kSlack, m_out.capacity() + m_out.capacity() / 2));
    }
    m_out.resize_and_overwrite(used + bytes + kSlack, [&](char* data, std::size_t) {
      return static_cast<std::size_t>(write(data + used) - data);
    });
  }

  // Tells the hooks that `count` more characters are written.
  Status Written(std::size_t count) {
    m_sinceProgress += count;
    if (m_sinceProgress >= kProgressCharacters) {
      m_sinceProgress -= kProgressCharacters;
      if (m_hooks.progress) m_hooks.progress();
    }
    if (m_hooks.drain && m_out.size() >= kDrainBytes) {
      Status status = m_hooks.drain(m_out);
      m_out.clear();
      return status;
    }
    return Status::Ok();
  }

 private:
  std::string& m_out;
  const FadeHooks& m_hooks;
  std::size_t m_sinceProgress = 0;
};

}  // namespace tintrix::markup
