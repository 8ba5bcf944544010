#pragma once

#include <string>
#include <string_view>

#include "engine/status.h"

namespace tintrix {

// Replaces the file at `path` with `bytes` in one step: a temporary file beside it is written
// and renamed over it, so a reader sees the old file or the new one, never a part. On failure
// the old file stays as it was and the error reads `Could not write PATH: REASON`. A path that
// names a device or a pipe is written to in place, since it cannot be replaced.
Status WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace tintrix
