#pragma once
// The main block's four modes, on whatever platform the application runs on.
#include <cstdint>

#include "about/desktop_windows.h"
#include "app/command_line.h"
#include "settings/registry.h"
#include "toolkit/application.h"
#include "window/saver_platform.h"

namespace morvelux {

// What the modes need of the system beyond the windows.
class SystemServices {
public:
    virtual ~SystemServices() = default;
    virtual SaverPlatform& saverPlatform() = 0;
    virtual Registry& registry() = 0;
    virtual DesktopWindows& desktopWindows() = 0;
    virtual bool windowAlive(std::int32_t window) = 0;  // 0 never is
    virtual void changePassword(std::int32_t owner) = 0;
};

// Runs the mode the command line selects to its end; returns the process's
// exit code, which is 0 in every mode, also when a window cannot be made.
int RunMode(const CommandLine& commandLine, tk::Application& app, SystemServices& system);

}  // namespace morvelux
