#include "engine/shortfadecolors.h"

#include <algorithm>

namespace tintrix {

ShortFadeColors::ShortFadeColors() : m_entries(kMaxCharacters + 1) {}

bool ShortFadeColors::SameFade(std::span<const Channels> colors, BlendSpace blend) const {
  return blend == m_blend &&
         std::equal(colors.begin(), colors.end(), m_colors.begin(), m_colors.end());
}

void ShortFadeColors::Reset(std::span<const Channels> colors, BlendSpace blend) {
  m_colors.assign(colors.begin(), colors.end());
  m_blend = blend;
  for (std::unique_ptr<Entry>& entry : m_entries) entry.reset();
}

}  // namespace tintrix
