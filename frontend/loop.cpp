#include "frontend/loop.h"

#include <unistd.h>

#include <string>

namespace morvelux {

bool drainWake(int fd) {
    // Large enough for a signalfd's record, which it hands out only whole.
    char buffer[128];
    return read(fd, buffer, sizeof buffer) > 0;
}

int sleepMs(SaverCore& core) { return core.activated() ? static_cast<int>(core.msUntilNextTick()) : -1; }

void traceFrame(std::FILE* trace, const FrameInfo& frame) {
    if (!trace) return;
    std::fprintf(trace, "tick %d at %d title %d\n", frame.tick, static_cast<int>(frame.composedAt),
                 frame.title ? 1 : 0);
    std::fflush(trace);
}

void traceLine(std::FILE* trace, std::string_view line) {
    if (!trace) return;
    std::fprintf(trace, "%.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(trace);
}

void complain(std::string_view why) {
    std::string line = "morvelux: ";
    line.append(why).append(1, '\n');
    std::fputs(line.c_str(), stderr);
}

int fail(std::string_view why) {
    complain(why);
    return 1;
}

}  // namespace morvelux
