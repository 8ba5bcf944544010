#include <iostream>
#include <string>
#include <vector>

#include "cli/fadetool.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return tintrix::RunFadeTool(args, std::cin, std::cout, std::cerr, {});
}
