#pragma once
// How the system starts a screen saver: a mode switch, and for preview and
// password change a window handle.
#include <cstdint>
#include <string>
#include <vector>

namespace morvelux {

enum class SaverMode { ChangePassword, Configure, Preview, FullScreen };

struct CommandLine {
    std::string RunMode;              // the first argument upper-cased ("/C" without one)
    SaverMode mode = SaverMode::Configure;
    std::int32_t handle = 0;          // the window handle argument, 0 when absent or unreadable
};

// `args` are the arguments after the program name.
CommandLine readCommandLine(const std::vector<std::string>& args);

// Splits a Windows command line (the part after the program name, or the
// whole of it with `skipProgram`) into arguments the way the C runtime does.
std::vector<std::string> splitArguments(std::string_view commandLine, bool skipProgram);

}  // namespace morvelux
