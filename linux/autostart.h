#pragma once
// Starting the saver at login on desktops that run the user's XDG autostart
// entries (GNOME, KDE Plasma and others): one file of ours in the user's
// autostart folder, written or removed; nothing else there is touched.
#include <string>
#include <string_view>

namespace morvelux {

// The folder the entries live in: $XDG_CONFIG_HOME/autostart when that is an
// absolute path, else $HOME/.config/autostart. Empty when neither is known.
std::string autostartFolder(const char* configHome, const char* home);

// The entry that runs `program -wayland -idle SECONDS` at login.
std::string autostartEntry(std::string_view program, int seconds);

// -autostart SECONDS: writes (or rewrites) the entry for `program` into
// `folder`, making the folder when needed; -autostart off (seconds 0):
// removes it. Says what it did; the exit code.
int setAutostart(const std::string& folder, std::string_view program, int seconds);

}  // namespace morvelux
