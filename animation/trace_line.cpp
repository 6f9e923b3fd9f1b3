// A file of its own: the Windows saver links the core but never writes a
// trace, so its archive member, and C stdio with it, stay out of the .scr.
#include "animation/saver_core.h"

namespace morvelux {

void writeTraceLine(std::FILE* trace, const FrameInfo& frame) {
    std::fprintf(trace, "tick %d at %d title %d\n", frame.tick, static_cast<int>(frame.composedAt),
                 frame.title ? 1 : 0);
    std::fflush(trace);
}

}  // namespace morvelux
