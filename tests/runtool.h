#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/fadetool.h"

namespace tintrix::testing {

// What one run of the companion gave: its exit status and what it wrote to each stream.
struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the companion in-process with `args` (after the program name), `input` as its standard
// input and `stored` as the user's current fade.
inline ToolRun RunTool(const std::vector<std::string>& args, const std::string& input = "",
                       const StoredFadeLoader& stored = {}) {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = RunFadeTool(args, in, out, err, stored);
  return {status, out.str(), err.str()};
}

}  // namespace tintrix::testing
