#include "engine/markupformat.h"

namespace tintrix {

std::optional<MarkupFormat> ParseMarkupFormat(std::string_view name) {
  if (name == "classic") return MarkupFormat::kClassic;
  if (name == "html") return MarkupFormat::kHtml;
  if (name == "bbcode") return MarkupFormat::kBbcode;
  if (name == "ansi") return MarkupFormat::kAnsi;
  if (name == "minecraft") return MarkupFormat::kMinecraft;
  if (name == "minimessage") return MarkupFormat::kMinimessage;
  return std::nullopt;
}

}  // namespace tintrix
