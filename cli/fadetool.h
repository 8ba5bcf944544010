#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "engine/fadesettings.h"

namespace tintrix {

// Where the companion's fade starts from unless --defaults is given: the user's current fade.
using StoredFadeLoader = std::function<FadeSettings()>;

// Runs `tintrix-fade` with the arguments after the program name. Returns the exit status:
// 0 on success; 1 when no fade can be made (standard output then stays empty and one line on
// `err` says why) or when reading or writing fails; 2 on a usage error; 128 + the signal's
// number when SIGINT or SIGTERM stopped --animate. Help and version go
// to `out`; so do the documents, unless `outFd` is a file descriptor (not negative), which
// they are then written to directly. When `inFd` is not negative it is `in`'s file
// descriptor, which the fade's lines may be read from directly (RunFadeJob).
int RunFadeTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err, const StoredFadeLoader& loadStoredFade, int outFd = -1,
                int inFd = -1);

}  // namespace tintrix
