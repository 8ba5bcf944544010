#include "engine/internal/readingparts.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tintrix::reading {

namespace {

// The numbers of an SGR sequence ("38;2;1;2;3"); an empty one is 0.
std::vector<int> SgrNumbers(std::string_view parameters) {
  std::vector<int> numbers;
  for (std::size_t start = 0; start <= parameters.size();) {
    std::size_t end = parameters.find_first_of(";:", start);
    if (end == std::string_view::npos) end = parameters.size();
    int value = 0;
    std::from_chars(parameters.data() + start, parameters.data() + end, value);
    numbers.push_back(value);
    start = end + 1;
  }
  return numbers;
}

void ApplySgr(std::string_view parameters, MarkupReading& reading) {
  const std::vector<int> numbers = SgrNumbers(parameters);
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    switch (numbers[k]) {
      case 0:
      case 39:
        AddNoColor(reading);
        break;
      case 1:
        reading.styles[2] = true;
        break;
      case 3:
        reading.styles[1] = true;
        break;
      case 4:
        reading.styles[0] = true;
        break;
      case 38:
        if (k + 4 < numbers.size() && numbers[k + 1] == 2) {
          const int r = numbers[k + 2], g = numbers[k + 3], b = numbers[k + 4];
          if (r >= 0 && r < 256 && g >= 0 && g < 256 && b >= 0 && b < 256) {
            AddColor(reading, static_cast<std::uint32_t>(r << 16 | g << 8 | b));
          }
          k += 4;
        } else {
          // A palette colour, whose value is the terminal's: the rest says nothing more.
          AddNoColor(reading);
          if (k + 2 >= numbers.size() || numbers[k + 1] != 5) return;
          k += 2;
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace

MarkupReading ReadAnsi(std::string_view document) {
  MarkupReading reading;
  reading.format = MarkupFormat::kAnsi;
  reading.text.reserve(document.size());
  for (std::size_t i = 0; i < document.size();) {
    if (document[i] != '\x1b') {
      reading.text += document[i++];
      continue;
    }
    if (i + 1 >= document.size() || document[i + 1] != '[') {
      i += 2;
      continue;
    }
    std::size_t end = i + 2;
    while (end < document.size() && static_cast<unsigned char>(document[end]) >= 0x20 &&
           static_cast<unsigned char>(document[end]) < 0x40) {
      ++end;
    }
    if (end >= document.size()) break;
    if (document[end] == 'm') ApplySgr(document.substr(i + 2, end - i - 2), reading);
    i = end + 1;
  }
  return reading;
}

}  // namespace tintrix::reading
