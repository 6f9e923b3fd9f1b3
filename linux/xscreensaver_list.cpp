#include "linux/xscreensaver_list.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "frontend/loop.h"
#include "linux/user_file.h"

namespace morvelux {

namespace {

constexpr std::string_view kResource = "programs:";
constexpr std::string_view kBlanks = " \t";

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return lines;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool continues(std::string_view line) { return line.ends_with('\\'); }

std::string_view firstWord(std::string_view text) {
    text = trimmed(text);
    return text.substr(0, text.find_first_of(kBlanks));
}

// An entry is [-] [visual:] command...; "-" switches it off.
bool namesMorvelux(std::string_view entry) {
    entry = trimmed(entry);
    if (entry.starts_with('-')) entry.remove_prefix(1);
    std::string_view program = firstWord(entry);
    if (program.ends_with(':')) program = firstWord(trimmed(entry).substr(program.size()));
    const auto slash = program.rfind('/');
    if (slash != std::string_view::npos) program.remove_prefix(slash + 1);
    return program == "morvelux";
}

// The resource's value: its lines joined where a backslash continues them,
// entries separated by a written \n.
bool listsMorvelux(const std::vector<std::string_view>& lines, std::size_t first) {
    std::string value;
    for (std::size_t i = first; i < lines.size(); ++i) {
        const std::string_view line = i == first ? lines[i].substr(kResource.size()) : lines[i];
        if (!continues(line)) {
            value.append(line);
            break;
        }
        value.append(line.substr(0, line.size() - 1));
    }
    for (std::size_t start = 0; start <= value.size();) {
        const auto end = value.find("\\n", start);
        if (namesMorvelux(std::string_view(value).substr(start, end - start))) return true;
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return false;
}

// Our entry as the first of the list. Entries that shared the resource's own
// line move to a line of their own; a list that was empty gets no continuation.
std::vector<std::string> withOurEntry(std::string_view resourceLine) {
    const std::string ours = "\t\t\t\t" + std::string(kModuleEntry) + "\t\t\t\t    \\n";
    std::string_view rest = trimmed(resourceLine.substr(kResource.size()));
    const bool more = continues(resourceLine);
    if (more) rest = trimmed(rest.substr(0, rest.size() - 1));
    if (rest.empty()) {
        if (more) return {std::string(resourceLine), ours + "\\"};
        return {std::string(kResource) + "\t\\", ours};
    }
    const std::string_view sharedLine = trimmed(resourceLine.substr(kResource.size()));
    return {std::string(kResource) + "\t\\", ours + "\\", "\t\t" + std::string(sharedLine)};
}

}  // namespace

EditedSettings addToModuleList(std::string_view settings) {
    const auto lines = splitLines(settings);
    std::size_t at = 0;
    while (at < lines.size() && !lines[at].starts_with(kResource)) ++at;
    if (at == lines.size()) return {ListEdit::NoList, {}};
    if (listsMorvelux(lines, at)) return {ListEdit::AlreadyListed, std::string(settings)};

    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != at) {
            text.append(lines[i]).append(1, '\n');
            continue;
        }
        for (const auto& line : withOurEntry(lines[i])) text.append(line).append(1, '\n');
    }
    if (!settings.ends_with('\n')) text.pop_back();
    return {ListEdit::Added, std::move(text)};
}

int addToUserModuleList(const char* home) {
    if (!home || !*home) return fail("HOME is not set, so there is no ~/.xscreensaver to add MORVELUX to");
    const std::string named = std::string(home) + "/.xscreensaver";
    char resolved[PATH_MAX];
    struct stat status {};
    if (!realpath(named.c_str(), resolved) || stat(resolved, &status) != 0)
        return fail(named + " does not exist yet: open xscreensaver-settings once (it writes that file), "
                            "then run morvelux -add-to-xscreensaver again");
    const std::string path = resolved;
    const auto settings = readFile(path);
    if (!settings) return fail("cannot read " + path + ": " + std::strerror(errno));

    const EditedSettings edited = addToModuleList(*settings);
    switch (edited.result) {
        case ListEdit::NoList:
            return fail(named + " holds no list of screen savers (programs:): open xscreensaver-settings, "
                                "save once, then run morvelux -add-to-xscreensaver again");
        case ListEdit::AlreadyListed:
            std::printf("MORVELUX is on the list in %s already; nothing changed.\n", named.c_str());
            return 0;
        case ListEdit::Added:
            break;
    }
    std::string error;
    if (!replaceFile(path, edited.text, status.st_mode, error)) return fail(error);
    std::printf("Added MORVELUX to the list of screen savers in %s: choose it in xscreensaver-settings.\n",
                named.c_str());
    return 0;
}

}  // namespace morvelux
