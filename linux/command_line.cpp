#include "linux/command_line.h"

#include <charconv>

namespace morvelux {

const char* const kUsage =
    "usage: morvelux [-window | -root | -window-id ID] [-display DPY] [-trace FILE]\n"
    "       morvelux -wayland [-no-layer-shell] [-idle SECONDS] [-trace FILE]\n"
    "       morvelux -autostart SECONDS|off\n"
    "  -window        draw in a window of its own, 1024 x 768 (the default)\n"
    "  -root          draw on the root window, or on $XSCREENSAVER_WINDOW when a daemon sets it\n"
    "  -window-id ID  draw on the window ID (decimal, or hexadecimal after 0x)\n"
    "  -display DPY   the X display to use instead of $DISPLAY\n"
    "  -wayland       draw over every output of the Wayland compositor ($WAYLAND_DISPLAY)\n"
    "  -no-layer-shell  with -wayland: full-screen windows, even where layer surfaces are offered\n"
    "  -idle SECONDS  with -wayland: stay running, and show the saver whenever the desktop has had\n"
    "                 no input for SECONDS (its idle time: KDE Plasma, GNOME, sway and others)\n"
    "  -autostart SECONDS  run 'morvelux -wayland -idle SECONDS' at every login (an XDG autostart\n"
    "                 entry in ~/.config/autostart) and end; -autostart off removes it\n"
    "  -trace FILE    write a line to FILE for every frame shown: its tick, time and title card\n"
    "  -add-to-xscreensaver  add MORVELUX to the screen savers listed in ~/.xscreensaver and end\n"
    "  -help          show this and end\n"
    "  -version       show the version and end\n"
    "In its own window Esc or q ends it and holding Space pauses it.\n"
    "To make MORVELUX the screen saver, here after 5 minutes:\n"
    "  GNOME, KDE Plasma:  morvelux -autostart 300   (from the next login)\n"
    "  sway, Hyprland, other wlroots desktops, in the compositor's config:\n"
    "                      exec morvelux -wayland -idle 300\n"
    "  X11 with XScreenSaver:  morvelux -add-to-xscreensaver\n";

namespace {

std::string_view optionName(std::string_view arg) {
    if (arg.starts_with("--")) return arg.substr(2);
    if (arg.starts_with("-")) return arg.substr(1);
    return {};
}

// "<before>'<subject>'<after> (try -help)", built by appending:
// GCC 12 warns falsely about string concatenation here.
ParsedCommandLine failure(std::string_view before, std::string_view subject, std::string_view after) {
    std::string message;
    message.append(before).append(1, '\'').append(subject).append(1, '\'').append(after).append(" (try -help)");
    return {Action::Fail, {}, std::move(message)};
}

// The options that take no value: each sets one field of Options.
struct Switch {
    std::string_view name;
    bool Options::*field;
    bool value;
    bool x11Only;
};

constexpr Switch kSwitches[] = {
    {"root", &Options::root, true, true},
    {"window", &Options::ownWindow, true, true},
    {"wayland", &Options::wayland, true, false},
    {"no-layer-shell", &Options::layerShell, false, false},
};

const Switch* findSwitch(std::string_view name) {
    for (const Switch& option : kSwitches)
        if (option.name == name) return &option;
    return nullptr;
}

bool takesValue(std::string_view name) {
    return name == "window-id" || name == "display" || name == "trace" || name == "idle" || name == "autostart";
}

// A whole number of seconds from 1 to kMaxIdleSeconds; 0 for anything else.
int parseSeconds(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return 0;
    return value >= 1 && value <= kMaxIdleSeconds ? value : 0;
}

// Options that only one front end understands, refused with the other.
ParsedCommandLine checkFrontEnd(const ParsedCommandLine& parsed, std::string_view x11Only) {
    const Options& o = parsed.options;
    if (o.wayland && !x11Only.empty()) return failure("", x11Only, " is for X11, not with -wayland");
    if (!o.wayland && !o.layerShell) return failure("", "-no-layer-shell", " goes with -wayland");
    if (!o.wayland && o.idleSeconds) return failure("", "-idle", " goes with -wayland");
    return parsed;
}

}  // namespace

std::optional<std::uint32_t> parseWindowId(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value == 0) return std::nullopt;
    return value;
}

ParsedCommandLine parseCommandLine(int argc, const char* const* argv) {
    ParsedCommandLine parsed;
    std::string_view x11Only;  // the last option given that only X11 understands
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const std::string_view name = optionName(arg);
        if (name == "help" || name == "h") return {Action::Help, {}, {}};
        if (name == "version") return {Action::Version, {}, {}};
        if (name == "add-to-xscreensaver") return {Action::AddToXScreenSaver, {}, {}};
        if (const Switch* option = findSwitch(name)) {
            parsed.options.*option->field = option->value;
            if (option->x11Only) x11Only = arg;
            continue;
        }
        if (!takesValue(name)) return failure("unknown option ", arg, "");
        if (i + 1 >= argc) return failure("option ", arg, " needs a value");
        const std::string_view value = argv[++i];
        if (name == "idle" || name == "autostart") {
            const int seconds = parseSeconds(value);
            if (!seconds && (name == "idle" || value != "off"))
                return failure("", value, " is not a whole number of seconds from 1 to " +
                                              std::to_string(kMaxIdleSeconds) + (name == "idle" ? "" : ", nor off"));
            if (name == "autostart") return {Action::Autostart, {}, {}, seconds};
            parsed.options.idleSeconds = seconds;
            continue;
        }
        if (name != "trace") x11Only = arg;
        if (name == "display") {
            parsed.options.display = value;
        } else if (name == "trace") {
            parsed.options.trace = value;
        } else {
            parsed.options.windowId = parseWindowId(value);
            if (!parsed.options.windowId) return failure("", value, " is not a window id");
        }
    }
    return checkFrontEnd(parsed, x11Only);
}

std::optional<x11::Options> x11Options(const Options& options, const char* screenSaverWindow, std::string& error) {
    x11::Options chosen{options.display, x11::Target::OwnWindow, 0};
    if (options.windowId) {
        chosen.target = x11::Target::Given;
        chosen.window = *options.windowId;
    } else if (options.ownWindow) {
        chosen.target = x11::Target::OwnWindow;
    } else if (screenSaverWindow && *screenSaverWindow) {
        const auto id = parseWindowId(screenSaverWindow);
        if (!id) {
            error = "XSCREENSAVER_WINDOW holds no window id: '" + std::string(screenSaverWindow) + "'";
            return std::nullopt;
        }
        chosen.target = x11::Target::Given;
        chosen.window = *id;
    } else if (options.root) {
        chosen.target = x11::Target::Root;
    }
    return chosen;
}

}  // namespace morvelux
