#pragma once
// The command line, by the conventions of X screen-saver daemons: options
// start with one dash or two, and the daemon may say where to draw with
// -window-id, -root or the XSCREENSAVER_WINDOW environment variable. With
// -wayland the saver covers every output of a Wayland compositor instead.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "x11/options.h"

namespace morvelux {

struct Options {
    std::optional<std::uint32_t> windowId;  // -window-id
    bool root = false;                      // -root
    bool ownWindow = false;                 // -window
    std::string display;                    // -display; empty: $DISPLAY
    std::string trace;                      // -trace FILE; empty: none
    bool wayland = false;                   // -wayland: every output of the Wayland compositor
    bool layerShell = true;                 // -no-layer-shell: full-screen windows there instead
    int idleSeconds = 0;                    // -idle SECONDS: resident, shown after that long idle; 0: at once
};

// The longest -idle and -autostart take: a day.
inline constexpr int kMaxIdleSeconds = 86400;

// AddToXScreenSaver: -add-to-xscreensaver, which edits the user's module
// list; Autostart: -autostart SECONDS|off, which writes or removes the
// user's autostart entry.
enum class Action { Run, Help, Version, AddToXScreenSaver, Autostart, Fail };

struct ParsedCommandLine {
    Action action = Action::Run;
    Options options;
    std::string error;         // one line, for Fail, without the program's name
    int autostartSeconds = 0;  // for Autostart: 0 for off
};

ParsedCommandLine parseCommandLine(int argc, const char* const* argv);

// A window id as daemons write it: decimal, or hexadecimal after 0x.
// Nothing for anything else, for 0, and for values past 32 bits.
std::optional<std::uint32_t> parseWindowId(std::string_view text);

// What the X11 front end is told: -window-id, then -window, then
// $XSCREENSAVER_WINDOW (null when unset), then -root; with none of them, a
// window of its own. Nothing, with `error` set, when the variable holds no
// window id.
std::optional<x11::Options> x11Options(const Options& options, const char* screenSaverWindow, std::string& error);

extern const char* const kUsage;

}  // namespace morvelux
