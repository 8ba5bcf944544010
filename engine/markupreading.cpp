#include "engine/markupreading.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "engine/internal/readingparts.h"

namespace tintrix {

namespace {

using namespace reading;

Status NoColorTag(MarkupFormat format) {
  return Status::InvalidArgument("no colour tag in " + std::string(TraitsOf(format).name));
}

// Whether the format can hold a colour tag of `document` at all: a quick look, before reading.
bool MayHold(std::string_view document, MarkupFormat format) {
  switch (format) {
    case MarkupFormat::kJson:
      return document.find('[') != std::string_view::npos;
    case MarkupFormat::kAnsi:
      return document.find("\x1b[") != std::string_view::npos;
    default:
      return document.find(TraitsOf(format).colorPrefix) != std::string_view::npos;
  }
}

}  // namespace

StatusOr<MarkupReading> ReadMarkup(std::string_view document, MarkupFormat format) {
  MarkupReading reading;
  if (format == MarkupFormat::kJson) {
    reading.format = format;
    if (!ReadJson(document, reading)) {
      return Status::InvalidArgument("not a json text component list");
    }
  } else if (format == MarkupFormat::kAnsi) {
    reading = ReadAnsi(document);
  } else {
    reading = ReadTagged(document, format);
  }
  if (reading.colorTags == 0) return NoColorTag(format);
  return reading;
}

StatusOr<MarkupReading> ReadAnyMarkup(std::string_view document) {
  std::optional<MarkupReading> best;
  for (std::size_t k = 0; k < kFormats.size(); ++k) {
    const auto format = static_cast<MarkupFormat>(k);
    if (!MayHold(document, format)) continue;
    StatusOr<MarkupReading> reading = ReadMarkup(document, format);
    if (reading.ok() && (!best || reading->colorTags > best->colorTags)) {
      best = std::move(reading).value();
    }
  }
  if (!best) return Status::InvalidArgument("no colour tag in any format");
  return std::move(*best);
}

}  // namespace tintrix
