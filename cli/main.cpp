#include <unistd.h>

#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/fadetool.h"
#include "store/settingsstore.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  // The user's current fade, read only: the companion never writes the store.
  const auto loadStoredFade = [] {
    tintrix::FadeSettings fade;
    tintrix::FileSettingsStore store;
    tintrix::LoadFadeSettings(fade, store);
    return fade;
  };
  try {
    return tintrix::RunFadeTool(args, std::cin, std::cout, std::cerr, loadStoredFade, STDOUT_FILENO,
                                STDIN_FILENO);
  } catch (const std::bad_alloc&) {
    // An output file being written is removed on the way here: -o never leaves half a file.
    std::cerr << "tintrix-fade: Out of memory while making the fade\n";
    return 1;
  }
}
