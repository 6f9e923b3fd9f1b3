#include "linux/autostart.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "frontend/loop.h"
#include "linux/user_file.h"

namespace morvelux {

namespace {

constexpr std::string_view kFileName = "/morvelux.desktop";

// An argument of the entry's Exec line: quoted when it holds a character the
// format reserves, the four that need it escaped inside the quotes; then
// every backslash doubled (the value's own escape) and every % written %%.
std::string execArgument(std::string_view argument) {
    if (argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`=%") == std::string_view::npos) return std::string(argument);
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) value += c == '\\' ? "\\\\" : c == '%' ? "%%" : std::string(1, c);
    return value;
}

// Every folder of `path` that is missing, made private to the user.
bool makeFolders(const std::string& path, std::string& error) {
    for (std::size_t end = 1; end <= path.size(); ++end) {
        if (end != path.size() && path[end] != '/') continue;
        const std::string part = path.substr(0, end);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "cannot make " + part + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

int removeEntry(const std::string& path) {
    if (std::remove(path.c_str()) != 0) {
        if (errno != ENOENT) return fail("cannot remove " + path + ": " + std::strerror(errno));
        std::printf("MORVELUX does not start at login (there is no %s); nothing changed.\n", path.c_str());
        return 0;
    }
    std::printf("Removed %s: MORVELUX no longer starts at login.\n", path.c_str());
    return 0;
}

}  // namespace

std::string autostartFolder(const char* configHome, const char* home) {
    if (configHome && configHome[0] == '/') return std::string(configHome) + "/autostart";
    if (home && *home) return std::string(home) + "/.config/autostart";
    return {};
}

std::string autostartEntry(std::string_view program, int seconds) {
    const std::string time = std::to_string(seconds);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=MORVELUX\n"
           "Comment=Shows the MORVELUX screen saver after " + time + " seconds without input\n"
           "Exec=" + execArgument(program) + " -wayland -idle " + time + "\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

int setAutostart(const std::string& folder, std::string_view program, int seconds) {
    if (folder.empty()) return fail("neither XDG_CONFIG_HOME nor HOME is set, so there is no autostart folder");
    const std::string path = folder + std::string(kFileName);
    if (seconds == 0) return removeEntry(path);
    const std::string entry = autostartEntry(program, seconds);
    if (readFile(path) == entry) {
        std::printf("MORVELUX starts at login already (%s); nothing changed.\n", path.c_str());
        return 0;
    }
    std::string error;
    if (!makeFolders(folder, error) || !replaceFile(path, entry, 0644, error)) return fail(error);
    std::printf("Wrote %s: from the next login MORVELUX starts after %d seconds without input.\n", path.c_str(),
                seconds);
    return 0;
}

}  // namespace morvelux
