// tintrix-fade-completions DIR: writes the shell completions of tintrix-fade, made from its
// table of options, into the folder DIR: tintrix-fade.bash, _tintrix-fade and tintrix-fade.fish.
// The build runs it; the files are installed in place of hand-written ones.

#include <fstream>
#include <iostream>
#include <span>
#include <string>

#include "cli/completions.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tintrix-fade-completions DIR\n";
    return 2;
  }
  const std::string folder = argv[1];
  const struct {
    const char* name;
    std::string (*make)(std::span<const tintrix::Option>);
  } files[] = {{"tintrix-fade.bash", tintrix::BashCompletion},
               {"_tintrix-fade", tintrix::ZshCompletion},
               {"tintrix-fade.fish", tintrix::FishCompletion}};
  for (const auto& file : files) {
    const std::string path = folder + "/" + file.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << file.make(tintrix::FadeToolOptions());
    if (!out.flush()) {
      std::cerr << "tintrix-fade-completions: could not write " << path << "\n";
      return 1;
    }
  }
  return 0;
}
