// The command line on arbitrary bytes: split with and without a program
// name, then read. Arguments never grow out of the text, quote back to
// themselves, and the mode and handle follow the first two arguments.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "settings/int_reader.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace morvelux;
using Args = std::vector<std::string>;

// Quotes an argument so that the C runtime gives it back unchanged:
// backslashes are doubled only where a quote follows them.
std::string quoted(const std::string& arg) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        out += c;
        backslashes = 0;
    }
    out.append(2 * backslashes, '\\');
    return out + '"';
}

std::string joinQuoted(const Args& args) {
    std::string line;
    for (const std::string& arg : args) line += quoted(arg) + ' ';
    return line;
}

void checkSplit(std::string_view text, const Args& args) {
    std::size_t total = 0;
    for (const std::string& arg : args) total += arg.size();
    FUZZ_CHECK(total <= text.size());
    FUZZ_CHECK(splitArguments(joinQuoted(args), false) == args);
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

SaverMode expectedMode(const std::string& runMode) {
    if (runMode.size() < 2) return SaverMode::FullScreen;
    if (runMode[1] == 'A') return SaverMode::ChangePassword;
    if (runMode[1] == 'C') return SaverMode::Configure;
    if (runMode[1] == 'P') return SaverMode::Preview;
    return SaverMode::FullScreen;
}

void checkRead(const Args& args) {
    const CommandLine line = readCommandLine(args);
    if (args.empty()) {
        FUZZ_CHECK(line.RunMode == "/C" && line.mode == SaverMode::Configure && line.handle == 0);
        return;
    }
    FUZZ_CHECK(line.RunMode.size() == args[0].size());
    for (std::size_t i = 0; i < args[0].size(); ++i) FUZZ_CHECK(line.RunMode[i] == upper(args[0][i]));
    FUZZ_CHECK(line.mode == expectedMode(line.RunMode));
    if (line.mode == SaverMode::FullScreen) FUZZ_CHECK(line.handle == 0);
    else if (args.size() >= 2) FUZZ_CHECK(line.handle == readInt32(args[1]).value_or(0));
    else if (args[0].find(':') == std::string::npos) FUZZ_CHECK(line.handle == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const bool skipProgram : {false, true}) {
        const Args args = splitArguments(text, skipProgram);
        checkSplit(text, args);
        checkRead(args);
    }
    // A plain program name in front changes nothing in what follows it.
    FUZZ_CHECK(splitArguments("saver.scr " + std::string(text), true) == splitArguments(text, false));
    return 0;
}
