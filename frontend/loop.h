#pragma once
// What the Linux front ends share around their event loops: what a loop is
// handed, its next step, its sleep, the trace of the frames it shows, and
// the program's way of saying why it stops.
#include <cstdio>
#include <string_view>

#include "animation/saver_core.h"

namespace morvelux {

// What the program hands a front end's loop besides the core.
struct LoopContext {
    int wakeFd = -1;               // readable when the program is asked to stop (a signal)
    std::FILE* trace = nullptr;    // -trace: a line per frame shown; null for none
};

enum class Next { Go, End, Fail };

// Reads what woke the loop on `wakeFd`; true when something was there.
bool drainWake(int fd);

// Milliseconds poll() may sleep: until the next tick, or for ever before activation.
int sleepMs(SaverCore& core);

// Writes the trace line of the frame the core last composed when there is a trace:
// "tick N at MS title 0|1", flushed at once for a reader on the other side.
void traceFrame(std::FILE* trace, const FrameInfo& frame);

// Writes `line` and a line end to the trace when there is one, flushed at once.
void traceLine(std::FILE* trace, std::string_view line);

// One line on stderr, "morvelux: <why>".
void complain(std::string_view why);
// complain(why), then the exit code of a failure, 1.
int fail(std::string_view why);

}  // namespace morvelux
