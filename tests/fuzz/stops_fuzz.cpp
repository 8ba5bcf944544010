// Colours at positions on arbitrary bytes. The first field is read as --color's value
// (VALUE@P: a position, a colour's name, #RGB, #RRGGBB): what ParseStopPosition, FindNamedColor
// and ParseHexColor take is written back the same. The rest makes a text's colours: a count
// (2 to 6), each colour and its position (or none), the text's length (1 to 2,000); the stops
// placed (PlaceStops) give each character a colour (StopColors), and FitStops finds colours at
// positions that make every one again with no more colours than made them.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/colornames.h"
#include "engine/colorstops.h"
#include "engine/stopfit.h"
#include "tests/fuzz/fuzzinput.h"

namespace {

using tintrix::fuzz::Fail;

void CheckValue(const std::string& value) {
  const std::size_t at = value.rfind('@');
  if (at != std::string::npos) {
    const std::optional<int> tenths = tintrix::ParseStopPosition(value.substr(at + 1));
    if (tenths && (*tenths < 0 || *tenths > tintrix::kStopGrid ||
                   tintrix::ParseStopPosition(tintrix::StopPositionText(*tenths)) != tenths)) {
      Fail("a position that does not read back");
    }
  }
  const std::string color = value.substr(0, at);
  if (const std::optional<std::uint32_t> rgb = tintrix::ParseHexColor(color)) {
    if (*rgb > 0xFFFFFF || (color.size() != 4 && color.size() != 7)) Fail("#RGB beyond 24 bits");
  }
  if (const std::optional<std::uint32_t> rgb = tintrix::FindNamedColor(color)) {
    bool listed = false;
    for (const tintrix::NamedColor& named : tintrix::CssNamedColors()) {
      listed = listed || named.rgb == *rgb;
    }
    if (!listed) Fail("a name whose colour is not in the list");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tintrix::fuzz::FuzzInput input(data, size);
  CheckValue(input.Next());
  const std::string stops = input.Rest();
  if (stops.size() < 3) return 0;
  std::size_t next = 0;
  const auto byte = [&]() -> unsigned {
    return next < stops.size() ? static_cast<unsigned char>(stops[next++]) : 0u;
  };
  const std::size_t count = 2 + byte() % 5;
  const std::size_t n = 1 + (byte() << 8 | byte()) % 2000;
  std::vector<tintrix::Channels> colors;
  std::vector<std::optional<int>> positions;
  int last = 0;
  for (std::size_t k = 0; k < count; ++k) {
    colors.push_back(
        {static_cast<int>(byte()), static_cast<int>(byte()), static_cast<int>(byte())});
    // Rising positions (or none), so that every text made here has a fit.
    const unsigned step = byte();
    if (step >= 200) {
      positions.emplace_back();
    } else {
      last = std::min(tintrix::kStopGrid, last + static_cast<int>(step * step % 400));
      positions.emplace_back(last);
    }
  }
  const tintrix::StatusOr<std::vector<tintrix::StopPlace>> places = tintrix::PlaceStops(positions);
  if (!places.ok()) Fail("rising positions refused");
  const std::vector<std::uint32_t> rgb =
      tintrix::StopColors(colors, *places, tintrix::BlendSpace::kRgb, n);
  // The positions must lie on the grid for the fit to be held to the count.
  bool onGrid = true;
  for (const tintrix::StopPlace& place : *places) {
    onGrid = onGrid && tintrix::kStopGrid % place.denominator == 0;
  }
  const std::optional<tintrix::StopFit> fit = tintrix::FitStops(rgb, {});
  if (!fit) {
    if (onGrid) Fail("no fit of a text made with colours at positions");
    return 0;
  }
  if (onGrid && fit->colors.size() > count) Fail("a fit with more colours than made the text");
  std::vector<std::optional<int>> found(fit->positions.begin(), fit->positions.end());
  const tintrix::StatusOr<std::vector<tintrix::StopPlace>> again = tintrix::PlaceStops(found);
  if (!again.ok() ||
      tintrix::StopColors(fit->colors, *again, tintrix::BlendSpace::kRgb, n) != rgb) {
    Fail("a fit that does not make the text's colours");
  }
  return 0;
}
