// morvelux: the moiré screen saver as a Linux program: on an X display (its
// own window, the root window or the window a screen-saver daemon gives it)
// or, with -wayland, over every output of a Wayland compositor.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "animation/monotonic_clock.h"
#include "animation/saver_core.h"
#include "frontend/loop.h"
#include "linux/autostart.h"
#include "linux/command_line.h"
#include "linux/stop_signals.h"
#include "linux/xscreensaver_list.h"
#if MORVELUX_WITH_X11
#include "x11/run.h"
#endif
#if MORVELUX_WITH_WAYLAND
#include "wayland/run.h"
#endif

using namespace morvelux;

namespace {

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// -autostart: the entry names this program by its full path, which the
// package puts in no folder of $PATH.
int autostart(int seconds) {
    char program[PATH_MAX];
    if (!realpath("/proc/self/exe", program)) return fail(std::string("cannot find where I am: ") + std::strerror(errno));
    return setAutostart(autostartFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")), program, seconds);
}

int runFrontEnd(SaverCore& core, const LoopContext& context, const Options& options) {
    if (options.wayland) {
#if MORVELUX_WITH_WAYLAND
        return wayland::run(core, context, {options.layerShell, options.idleSeconds});
#else
        return fail("this morvelux was built without Wayland");
#endif
    }
#if MORVELUX_WITH_X11
    std::string error;
    const auto x11 = x11Options(options, std::getenv("XSCREENSAVER_WINDOW"), error);
    if (!x11) return fail(error);
    return x11::run(core, context, *x11);
#else
    return fail("this morvelux was built without X11: try -wayland");
#endif
}

int run(const Options& options) {
    LoopContext context;
    context.wakeFd = stopSignalsAsDescriptor();
    if (context.wakeFd < 0) return fail(std::string("cannot take the stop signals: ") + std::strerror(errno));
    MonotonicClock clock;
    std::string error;
    auto core = SaverCore::load(clock, error);
    if (!core) return fail(error);
    std::unique_ptr<std::FILE, CloseFile> trace;
    if (!options.trace.empty()) {
        trace.reset(std::fopen(options.trace.c_str(), "w"));
        if (!trace) return fail("cannot write " + options.trace + ": " + std::strerror(errno));
        context.trace = trace.get();
    }
    return runFrontEnd(*core, context, options);
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedCommandLine command = parseCommandLine(argc, argv);
    switch (command.action) {
        case Action::Help:
            std::fputs(kUsage, stdout);
            return 0;
        case Action::Version:
            std::printf("morvelux %s\n", MORVELUX_VERSION);
            return 0;
        case Action::AddToXScreenSaver:
            return addToUserModuleList(std::getenv("HOME"));
        case Action::Autostart:
            return autostart(command.autostartSeconds);
        case Action::Fail:
            complain(command.error);
            return 2;
        case Action::Run:
            break;
    }
    return run(command.options);
}
