#include "app/command_line.h"

#include "settings/int_reader.h"

namespace morvelux {
namespace {

// Only a to z: the switch must not depend on the user's locale.
std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The first character ("/" or "-" as a rule) is never looked at, nor
// anything after the second; without a second character the saver runs.
SaverMode modeOf(const std::string& runMode) {
    if (runMode.size() < 2) return SaverMode::FullScreen;
    switch (runMode[1]) {
        case 'A': return SaverMode::ChangePassword;
        case 'C': return SaverMode::Configure;
        case 'P': return SaverMode::Preview;
        default: return SaverMode::FullScreen;
    }
}

// The handle is the second argument; some hosts glue it to the switch
// instead ("/p:1234").
std::int32_t handleOf(const std::vector<std::string>& args) {
    std::string_view text;
    if (args.size() >= 2) {
        text = args[1];
    } else if (const auto colon = args[0].find(':'); colon != std::string::npos) {
        text = std::string_view(args[0]).substr(colon + 1);
    }
    return readInt32(text).value_or(0);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The program name is a path: quotes only group, backslashes are literal.
std::string_view skipProgramName(std::string_view line) {
    bool quoted = false;
    std::size_t i = 0;
    for (; i < line.size() && (quoted || !isBlank(line[i])); ++i) {
        if (line[i] == '"') quoted = !quoted;
    }
    return line.substr(i);
}

// Reads one argument starting at `i` (not blank) and leaves `i` after it.
std::string readArgument(std::string_view line, std::size_t& i) {
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !isBlank(line[i]))) {
        std::size_t backslashes = 0;
        for (; i < line.size() && line[i] == '\\'; ++i) ++backslashes;
        if (i == line.size() || line[i] != '"') {
            arg.append(backslashes, '\\');
            if (backslashes == 0) arg += line[i++];
            continue;
        }
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
            arg += '"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
            arg += '"';  // a doubled quote inside quotes is one literal quote and closes them
            ++i;
            quoted = false;
        } else {
            quoted = !quoted;
        }
        ++i;
    }
    return arg;
}

}  // namespace

CommandLine readCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    line.RunMode = args.empty() ? std::string("/C") : upperAscii(args[0]);
    line.mode = modeOf(line.RunMode);
    // A full-screen run has no host window: a handle there would turn it into a preview.
    if (!args.empty() && line.mode != SaverMode::FullScreen) line.handle = handleOf(args);
    return line;
}

std::vector<std::string> splitArguments(std::string_view commandLine, bool skipProgram) {
    std::string_view line = skipProgram ? skipProgramName(commandLine) : commandLine;
    std::vector<std::string> args;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i == line.size()) return args;
        args.push_back(readArgument(line, i));
    }
}

}  // namespace morvelux
