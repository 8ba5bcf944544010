// --read on arbitrary bytes as documents, one a line, in whichever format the first byte
// picks (or found from each document): it ends with 0 or 1; on 0 it prints one line for each
// document and says nothing but "approximate" lines; on 1 nothing is on standard output and
// the message is one line that names the document's line.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cli/fadetool.h"
#include "engine/markupformat.h"
#include "tests/fuzz/fuzzinput.h"

namespace {

// The documents LineReader finds: every line feed ends one, and a last line without one
// counts when it is not empty.
std::size_t Documents(const std::string& input) {
  const auto feeds = static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n'));
  return feeds + (!input.empty() && input.back() != '\n' ? 1 : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tintrix::fuzz::Fail;
  if (size == 0) return 0;
  std::vector<std::string> args = {"--read"};
  // The first byte: a format to read in, or (most values) the format found from the document.
  const std::size_t pick = data[0];
  if (pick < tintrix::kFormats.size()) {
    args.push_back("--from=" + std::string(tintrix::kFormats[pick].name));
  }
  if (pick & 0x80) args.emplace_back("--max-error=4");
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = tintrix::RunFadeTool(args, in, out, err, {});
  const std::string printed = out.str(), message = err.str();
  const auto lines = [](const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  };
  if (status == 0) {
    if (lines(printed) != Documents(input)) Fail("not one line for each document");
    std::istringstream notes(message);
    for (std::string note; std::getline(notes, note);) {
      if (!note.starts_with("tintrix-fade: line ") ||
          note.find(": approximate: ") == std::string::npos)
        Fail("a success with a message other than an approximate fit");
    }
  } else if (status == 1) {
    if (!printed.empty() || lines(message) != 1 || !message.starts_with("tintrix-fade: line ")) {
      Fail("a failure that printed more than its one line, or named no line");
    }
  } else {
    Fail("an exit status other than 0 and 1");
  }
  return 0;
}
