#include "cli/movingdocument.h"

#include <numeric>
#include <string_view>
#include <vector>

#include "engine/markupformat.h"

namespace tintrix {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHex(std::uint64_t value, int digits, std::string& out) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    out += kHexDigits[(value >> shift) & 15];
}

// `numerator` / `denominator` in decimal, rounded to `decimals` places, without trailing zeros.
// numerator x 10^decimals must fit in 64 bits.
std::string Decimal(std::uint64_t numerator, std::uint64_t denominator, int decimals) {
  std::uint64_t scale = 1;
  for (int k = 0; k < decimals; ++k) scale *= 10;
  const std::uint64_t scaled = (numerator * scale + denominator / 2) / denominator;
  std::string text = std::to_string(scaled / scale);
  std::string fraction = std::to_string(scaled % scale);
  fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return text;
}

// 64-bit FNV-1a.
std::uint64_t Hash(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// The keyframes of one pass through the n colours: each colour from its step's start, held
// (step-end) until the next that differs. Their offsets carry one decimal more than n has
// digits, so each step's edges are off by less than a thousandth of a step.
std::string Keyframes(std::span<const std::uint32_t> plain) {
  const std::size_t n = plain.size();
  const int decimals = static_cast<int>(std::to_string(n).size()) + 1;
  std::string frames;
  frames.reserve(n * 24 + 32);
  const auto add = [&](const std::string& offset, std::uint32_t rgb) {
    frames += offset;
    frames += "%{color:#";
    AppendHex(rgb, 6, frames);
    frames += '}';
  };
  for (std::size_t j = 0; j < n; ++j) {
    if (j == 0 || plain[j] != plain[j - 1]) add(Decimal(j * 100, n, decimals), plain[j]);
  }
  add("100", plain[n - 1]);
  return frames;
}

}  // namespace

Status AppendMovingDocument(const FadeDocument& document, const CharacterText& characters,
                            std::span<const std::uint32_t> plain, std::int64_t milliseconds,
                            const FadeHooks& hooks, std::string& out) {
  const std::size_t n = characters.size();
  FadeHooks kept;
  kept.wave = hooks.wave;
  kept.colorTags = hooks.colorTags;
  if (n == 0) return document.AppendInColors(characters, plain, kept, out);
  if (n > kMaxMovingCharacters) {
    return Status::InvalidArgument("A moving document holds at most " +
                                   std::to_string(kMaxMovingCharacters) + " characters, not " +
                                   std::to_string(n));
  }
  // Each character coloured with its own number, so that every run's colour tag names the
  // character that starts it, whatever joins the run (--skip-blanks) and however the writer
  // cuts it: the tags are then given the plain colours and the run's delay.
  std::vector<std::uint32_t> numbers(n);
  std::iota(numbers.begin(), numbers.end(), 0u);
  std::string runs;
  TINTRIX_RETURN_IF_ERROR(document.AppendInColors(characters, numbers, kept, runs));

  // One pass of the n colours takes half the loop; `alternate` plays it back again. A step is
  // a 2n-th of the loop; character i starts 2n - 1 - i steps into it, so that at step s it
  // shows place (s - i - 1) mod 2n, which the loop, read backwards, holds at (i - s) mod 2n.
  const auto period = static_cast<std::uint64_t>(milliseconds);
  const std::string timing = Decimal(period, 2, 1) + "ms step-end infinite alternate";
  const std::string step = Decimal(period, 2 * n, 12);
  const std::string keyframes = Keyframes(plain);
  std::string name = "tintrix-";
  AppendHex(Hash(keyframes + '|' + timing + '|' + step), 16, name);

  out += "<span class=\"" + name + "\"><style>@keyframes " + name + "{" + keyframes +
         "}@media (prefers-reduced-motion:no-preference){." + name +
         " [style^=\"color:\"]{animation:" + name + " " + timing +
         ";animation-delay:calc(var(--tx)*-" + step + "ms)}}</style>";
  const FormatTraits& html = TraitsOf(MarkupFormat::kHtml);
  std::size_t from = 0;
  for (std::size_t tag = runs.find(html.colorPrefix); tag != std::string::npos;
       tag = runs.find(html.colorPrefix, from)) {
    const std::size_t digits = tag + html.colorPrefix.size();
    out.append(runs, from, digits - from);
    std::size_t i = 0;
    for (std::size_t k = digits; k < digits + 6; ++k) {
      const char c = runs[k];
      i = i * 16 + static_cast<std::size_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    AppendHex(plain[i], 6, out);
    out += ";--tx:" + std::to_string(2 * n - 1 - i);
    from = digits + 6;
  }
  out.append(runs, from);
  out += "</span>";
  return Status::Ok();
}

}  // namespace tintrix
