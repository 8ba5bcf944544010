// The companion's argument and fade-file handling on arbitrary arguments and fade-file bytes:
// it ends with 0, 1 or 2; on 1 or 2 nothing is on standard output and the message is one
// line (2: and the hint); on 0 standard error is empty, or holds the one line of --stats.
// Among the arguments: colours by name, #RGB and at positions, --background, --min-contrast.
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/fadetool.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tintrix::fuzz::Fail;
  tintrix::fuzz::FuzzInput input(data, size);
  static const std::string fadeFile = [] {
    char path[] = "/tmp/tintrix-fuzz-XXXXXX.fad";
    const int fd = mkstemps(path, 4);
    if (fd >= 0) close(fd);
    return std::string(path);
  }();
  std::ofstream(fadeFile, std::ios::binary | std::ios::trunc) << input.Next();
  std::vector<std::string> args;
  for (int n = 0; n < 12 && !input.empty(); ++n) {
    std::string arg = input.Next();
    if (arg == "@fade") arg = fadeFile;
    // Neither output files nor waits on standard input: only the argument handling is fuzzed.
    if (arg == "-o" || arg.starts_with("--output") ||
        (arg.starts_with("--fade") && arg != "--fade")) {
      arg = "--defaults";
    }
    args.push_back(arg);
  }
  if (args.empty() || args.back() != "--") args.push_back("--");
  args.push_back("text");
  std::istringstream in;
  std::ostringstream out, err;
  const int status = tintrix::RunFadeTool(args, in, out, err, {});
  const std::string message = err.str();
  const auto lines = std::count(message.begin(), message.end(), '\n');
  switch (status) {
    case 0: {
      // --stats is the one success that speaks, in one line of its own kind. (Whether it ran
      // depends on how the options read: --version may be an option or a value.)
      const bool stats = std::find(args.begin(), args.end(), "--stats") != args.end();
      const bool statsLine = lines == 1 && message.starts_with("tintrix-fade: ") &&
                             message.find(" colour tags") != std::string::npos;
      if (!message.empty() && !(stats && statsLine)) Fail("a success with a message");
      break;
    }
    case 1:
      if (!out.str().empty() || lines != 1) Fail("a failure printed more than its one line");
      break;
    case 2:
      if (!out.str().empty() || lines != 2) Fail("a usage error printed more than its message");
      break;
    default:
      Fail("an exit status other than 0, 1 and 2");
  }
  return 0;
}
