// The main block: reads the mode switch the system starts a screen saver
// with, runs that one mode and ends.
#include <windows.h>

#include "about/desktop_windows.h"
#include "app/command_line.h"
#include "app/measuring.h"
#include "app/password.h"
#include "app/run_modes.h"
#include "toolkit/win32/platform.h"
#include "toolkit/win32/system_library.h"
#include "window/saver_platform_win32.h"

using namespace morvelux;

namespace {

class Win32System : public SystemServices {
public:
    Win32System(tk::Runner& runner, ReadoutSink* sink) : saver_(runner, sink) {}

    SaverPlatform& saverPlatform() override { return saver_; }
    Registry& registry() override { return systemRegistry(); }
    DesktopWindows& desktopWindows() override { return systemDesktopWindows(); }
    bool windowAlive(std::int32_t window) override {
        return window != 0 && IsWindow(reinterpret_cast<HWND>(static_cast<std::intptr_t>(window)));
    }
    void changePassword(std::int32_t owner) override { changeSaverPassword(owner); }

private:
    Win32SaverPlatform saver_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tk::win32::searchSystemFolderOnly();  // before anything loads a library by name
    const CommandLine commandLine = readCommandLine(splitArguments(GetCommandLineA(), true));
    tk::win32::Platform platform(instance);
    // Without our window classes no mode but the password change can run;
    // ending at once is all that is left.
    if (!platform.ready() && commandLine.mode != SaverMode::ChangePassword) return 0;
    tk::Application app(platform.backend(), platform.runner());
    const auto sink = measuringSink();
    Win32System system(platform.runner(), sink.get());
    return RunMode(commandLine, app, system);
}
