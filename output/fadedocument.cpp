#include "output/fadedocument.h"

#include <charconv>

#include "output/graphemes.h"

namespace tintrix {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> ParseColorCount(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // digits, optionally with one decimal point, and at least one digit
  std::size_t digits = 0;
  std::size_t points = 0;
  for (char c : text) {
    if (IsDigit(c)) {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || points > 1) return std::nullopt;
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return negative ? -value : value;
}

namespace {

// `fade` stays as it is while the markup is made.
Status AppendStableFadeMarkup(const FadeSettings& fade, const FadeHooks& hooks, std::string& out) {
  const std::optional<double> count = ParseColorCount(fade.NumberColors);
  if (!count) {
    return Status::Error("The number of colors is not a number: \"" + fade.NumberColors + "\"");
  }
  for (int n : {2, 3, 4, 5, 10}) {
    if (*count == n) {
      const CharacterText text = SplitCharacters(fade.TextToFade);
      return FadeRequest(n, fade.Colors, text, fade.WaVy != 0, hooks, out);
    }
  }
  return Status::Ok();
}

}  // namespace

Status AppendFadeMarkup(FadeSettings fade, const FadeHooks& hooks, std::string& out) {
  return AppendStableFadeMarkup(fade, hooks, out);
}

Status BuildFadeDocument(FadeSettings fade, const FadeHooks& hooks, std::string& document) {
  std::string s = "<font face=\"" + fade.Font + "\">";
  if (fade.Underlined == 1) s += "<u>";
  if (fade.Italic == 1) s += "<i>";
  if (fade.Bold == 1) s += "<b>";
  Status status = AppendStableFadeMarkup(fade, hooks, s);
  if (!status.ok()) return status;
  if (fade.Bold == 1) s += "</b>";
  if (fade.Italic == 1) s += "</i>";
  if (fade.Underlined == 1) s += "</u>";
  s += "</font>";
  document = std::move(s);
  return Status::Ok();
}

}  // namespace tintrix
