#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/status.h"

namespace tintrix {

// How long each frame of an animation stays: 20 frames a second.
inline constexpr std::int64_t kFrameMilliseconds = 50;

// Appends the bytes of the frame at `offset` to the string given.
using MakeFrame = std::function<Status(std::size_t offset, std::string&)>;

// Plays frames on the terminal `fd` for `milliseconds`, one every kFrameMilliseconds: the
// k-th frame drawn is the one at offset k mod `offsets`, over and over. Hides the cursor, then
// writes each frame whole after a carriage return, in one write. When the time is up, or
// SIGINT or SIGTERM arrives (whose handlers it holds while playing), it leaves the last frame
// drawn where it is, resets the colours, shows the cursor and ends the line with a line feed.
// Returns the number of the signal that stopped it, or 0 when the time ran out; fails with
// kIoError `Could not write standard output: REASON` when writing fails, or as `frame` fails,
// having tried to show the cursor again.
StatusOr<int> PlayOnTerminal(int fd, std::size_t offsets, std::int64_t milliseconds,
                             const MakeFrame& frame);

}  // namespace tintrix
