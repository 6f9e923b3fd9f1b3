// morvelux: the moiré screen saver as a native X11 program, on its own
// window, on the root window or on the window a screen-saver daemon gives it;
// with -wayland over every output of a Wayland compositor.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "x11/canvas.h"
#include "animation/monotonic_clock.h"
#include "animation/saver_core.h"
#include "x11/options.h"
#include "x11/saver_loop.h"
#include "x11/x_errors.h"
#include "x11/xscreensaver_list.h"
#include "wayland/saver_loop.h"

using namespace morvelux::x11;

namespace {

int wakeWrite = -1;

void onStopSignal(int) {
    const int saved = errno;
    (void)!write(wakeWrite, "s", 1);
    errno = saved;
}

// SIGTERM and SIGINT become a byte on a pipe that the loop's poll() watches.
int stopSignalsToPipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    wakeWrite = fds[1];
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return fds[0];
}

int fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

struct CloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

int run(const Options& options) {
    const int wakeFd = stopSignalsToPipe();
    if (wakeFd < 0) return fail("morvelux: cannot set up the signal pipe");
    std::string error;
    std::optional<Destination> destination;
    if (!options.wayland) {
        destination = chooseDestination(options, std::getenv("XSCREENSAVER_WINDOW"), error);
        if (!destination) return fail(error);
    }
    morvelux::MonotonicClock clock;
    auto animation = morvelux::SaverCore::load(clock, error);
    if (!animation) return fail("morvelux: " + error);
    std::unique_ptr<std::FILE, CloseFile> trace;
    if (!options.trace.empty()) {
        trace.reset(std::fopen(options.trace.c_str(), "w"));
        if (!trace) return fail("morvelux: cannot write " + options.trace);
    }
    if (options.wayland) return morvelux::wayland::runSaver(*animation, wakeFd, trace.get(), options.layerShell);
    const char* name = options.display.empty() ? nullptr : options.display.c_str();
    const std::unique_ptr<Display, CloseDisplay> display(XOpenDisplay(name));
    if (!display) {
        const std::string shown = XDisplayName(name);
        return fail("morvelux: cannot open the X display " + (shown.empty() ? "(DISPLAY is not set)" : shown));
    }
    collectXErrors();
    auto canvas = Canvas::open(display.get(), *destination, error);
    if (!canvas) return fail(error);
    const int code = runSaver(display.get(), *canvas, *animation, wakeFd, trace.get());
    canvas.reset();
    return code;
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
        case Action::Fail:
            std::fprintf(stderr, "%s\n", command.error.c_str());
            return 2;
        case Action::Run:
            break;
    }
    return run(command.options);
}
