#include "engine/markupformat.h"

#include <utility>

#include "engine/internal/segmentcolors.h"
#include "engine/internal/textescapes.h"

namespace tintrix {

namespace {

template <std::size_t... kIndex>
std::string Escape(std::index_sequence<kIndex...>, MarkupFormat format, std::string_view text) {
  std::string out(text.size() * markup::kMaxEscapeGrowth, '\0');
  char* end = out.data();
  static_cast<void>(
      ((static_cast<std::size_t>(format) == kIndex &&
        (end = markup::PutEscaped<kFormats[kIndex].escape>(out.data(), text.data(), text.size()),
         true)) ||
       ...));
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

}  // namespace

std::optional<MarkupFormat> ParseMarkupFormat(std::string_view name) {
  for (std::size_t k = 0; k < kFormats.size(); ++k) {
    if (kFormats[k].name == name) return static_cast<MarkupFormat>(k);
  }
  return std::nullopt;
}

std::string MarkupFormatNames() {
  std::string names;
  for (std::size_t k = 0; k < kFormats.size(); ++k) {
    if (k > 0) names += k + 1 == kFormats.size() ? " or " : ", ";
    names += kFormats[k].name;
  }
  return names;
}

std::string EscapeForFormat(MarkupFormat format, std::string_view text) {
  return Escape(std::make_index_sequence<kFormats.size()>(), format, text);
}

void ReduceToLevels(std::span<std::uint32_t> rgb, int levels) {
  if (levels >= 256) return;
  const markup::LevelTable table(levels);
  for (std::uint32_t& color : rgb) color = table(color);
}

}  // namespace tintrix
