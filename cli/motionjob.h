#pragma once

#include <istream>
#include <ostream>

#include "cli/fadejob.h"
#include "cli/fademotion.h"
#include "engine/fadesettings.h"
#include "engine/status.h"

namespace tintrix {

// The companion's job when the fade moves (`motion` is not kNone), in place of RunFadeJob,
// whose input, output, wave and options it shares; the texts are the job's text or each line
// of `in`. Each text's documents come before the next text's, each followed by a line feed:
//   kPhase   one document at PhaseOffset;
//   kFrames  motion.frames documents, frame k at FrameOffset(k, ...);
//   kMoving  one html document whose fade moves by itself (AppendMovingDocument);
//   kAnimate the first text's frames at every offset played on the terminal `outFd` in ansi
//            (PlayOnTerminal), whatever the job's format, nothing else written.
// Every document of one text gets the wave the plain fade gives it, and the next text's wave
// goes on from there, so that offset 0 is the plain fade's document byte for byte. maxLength
// applies to each document of kPhase and kFrames as RunFadeJob applies it.
// Fails with kUsage, before anything is read or written, naming the option: with `block`; with
// maxLength for kMoving and kAnimate; kMoving without the html format; kAnimate with an output
// file, with `stats`, or when `outFd` is no terminal. Otherwise fails as RunFadeJob does, and
// kMoving as AppendMovingDocument does. Sets `stats` as RunFadeJob does; sets `stoppedBy` to
// the signal that stopped an animation (PlayOnTerminal), else 0.
Status RunMotionJob(const FadeSettings& fade, const FadeJob& job, const Motion& motion,
                    std::istream& in, std::ostream& out, int outFd, FadeJobStats* stats,
                    int& stoppedBy);

}  // namespace tintrix
