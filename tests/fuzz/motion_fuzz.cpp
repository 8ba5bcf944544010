// The motion's values and documents on arbitrary bytes. A value of --phase, --frames, --animate
// or --moving is taken exactly when it has the form and range a plain reading gives it, and
// then as that number. On an arbitrary text: --frames F writes F documents, the first the plain
// fade's; frame k of --frames F is --phase k/F, and also the negative phase that goes the other
// way round to it; a --moving document is the plain html document (every run an element of its
// own, --merge or not) with only its motion added.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/fadeoptions.h"
#include "cli/fadetool.h"
#include "tests/fuzz/fuzzinput.h"

namespace {

using tintrix::Motion;
using tintrix::fuzz::Fail;

// What a plain reading makes of `value` for `option`, in thousandths (frames as they are); -1
// when it is no value of the option.
long long Expected(const std::string& option, const std::string& value) {
  static const std::regex whole("[0-9]+");
  static const std::regex decimal("-?[0-9]{1,7}(\\.[0-9]{1,3})?");
  if (option == "--frames") {
    if (!std::regex_match(value, whole)) return -1;
    const std::size_t first = value.find_first_not_of('0');
    if (first == std::string::npos || value.size() - first > 6) return -1;
    const long long frames = std::stoll(value);
    return frames >= 1 && frames <= 100000 ? frames : -1;
  }
  if (!std::regex_match(value, decimal)) return -1;
  const auto thousandths = static_cast<long long>(std::llround(std::stod(value) * 1000));
  if (option == "--phase") return thousandths > -1000 && thousandths < 1000 ? thousandths : -1;
  if (value[0] == '-') return -1;
  if (option == "--animate") return thousandths > 0 && thousandths <= 600000 ? thousandths : -1;
  return thousandths >= 100 && thousandths <= 3600000 ? thousandths : -1;
}

void CheckValue(const std::string& option, const std::string& value) {
  const long long expected = Expected(option, value);
  long long got = -1;
  try {
    const tintrix::CommandLine line =
        tintrix::ParseArguments({option + "=" + value}, tintrix::FadeToolOptions());
    switch (line.motion.kind) {
      case Motion::Kind::kPhase:
        got = line.motion.phase;
        break;
      case Motion::Kind::kFrames:
        got = static_cast<long long>(line.motion.frames);
        break;
      default:
        got = line.motion.milliseconds;
    }
  } catch (const tintrix::UsageError& error) {
    if (error.message().rfind(option + " takes ", 0) != 0) Fail("a message not naming the option");
  }
  if (got != expected) Fail("a value read otherwise than plainly");
}

std::vector<std::string> Documents(std::vector<std::string> args, const std::string& text) {
  args.insert(args.end(), {"--", text});
  std::istringstream in;
  std::ostringstream out, err;
  if (tintrix::RunFadeTool(args, in, out, err, {}) != 0) Fail("a motion that was not made");
  std::vector<std::string> documents;
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) documents.push_back(line);
  return documents;
}

// A moving document without its span, style element and places: "" when it has not that form.
std::string WithoutMotion(const std::string& document) {
  static const std::string open = "<span class=\"tintrix-", style = "\"><style>";
  static const std::string styleEnd = "</style>", close = "</span>", place = ";--tx:";
  const std::size_t end = document.find(styleEnd);
  if (document.rfind(open, 0) != 0 || document.find(style) != open.size() + 16 ||
      end == std::string::npos || document.find('<', open.size() + 16 + style.size()) != end ||
      !document.ends_with(close)) {
    return "";
  }
  std::string plain;
  const std::size_t last = document.size() - close.size();
  for (std::size_t from = end + styleEnd.size(), at = 0; from < last; from = at) {
    at = std::min(document.find(place, from), last);
    plain.append(document, from, at - from);
    if (at < last) at = document.find_first_not_of("0123456789", at + place.size());
  }
  return plain;
}

std::string Phase(long long thousandths) {
  std::string text = thousandths < 0 ? "-0." : "0.";
  const std::string digits = std::to_string(1000 + (thousandths < 0 ? -thousandths : thousandths));
  return text + digits.substr(1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tintrix::fuzz::FuzzInput input(data, size);
  const std::string options = input.Next();
  const std::string value = input.Next();
  std::string text = input.Rest();
  const auto pick = [&](std::size_t k, std::size_t n) {
    return k < options.size() ? static_cast<unsigned char>(options[k]) % n : 0;
  };
  const char* const motions[] = {"--phase", "--frames", "--animate", "--moving"};
  CheckValue(motions[pick(0, 4)], value);

  // json writes every control character as an escape: one document, one line.
  const bool merge = pick(3, 2) != 0;
  const std::vector<std::string> fade = {"--defaults",
                                         "--seed",
                                         "7",
                                         "--colors",
                                         std::to_string(2 + pick(1, 9)),
                                         pick(2, 2) ? "--wavy" : "--no-wavy",
                                         merge ? "--merge" : "--skip-blanks"};
  std::vector<std::string> json = fade;
  json.insert(json.end(), {"--format", "json"});
  const std::vector<std::string> plain = Documents(json, text);
  const std::size_t frames = 1 + pick(4, 8);
  std::vector<std::string> moving = json;
  moving.insert(moving.end(), {"--frames", std::to_string(frames)});
  const std::vector<std::string> all = Documents(moving, text);
  if (all.size() != frames || all[0] != plain.at(0)) Fail("frames that do not start plain");
  const std::size_t k = pick(5, frames);
  const long long thousandths = static_cast<long long>(k * 1000 / frames);
  if (thousandths * static_cast<long long>(frames) == static_cast<long long>(k) * 1000) {
    for (const long long way : {thousandths, thousandths - 1000}) {
      if (way <= -1000) continue;
      moving = json;
      moving.insert(moving.end(), {"--phase", Phase(way)});
      if (Documents(moving, text) != std::vector<std::string>{all[k]})
        Fail("a phase off its frame");
    }
  }

  // html lets line feeds through: the text is one line here.
  for (char& c : text) c = c == '\n' || c == '\r' ? ' ' : c;
  // Each run of a moving document is an element of its own, merged or not.
  std::vector<std::string> html = fade;
  if (merge) html.pop_back();
  html.insert(html.end(), {"--format", "html"});
  const std::string page = Documents(html, text).at(0);
  html.insert(html.end(), {"--moving", "1.5", "--merge"});
  const std::string motion = Documents(html, text).at(0);
  if (text.empty() ? motion != page : WithoutMotion(motion) != page) {
    Fail("a moving document that is more than the plain one and its motion");
  }
  return 0;
}
