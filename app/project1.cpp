// The main block: reads the mode switch the system starts a screen saver
// with and runs that mode.
#include <windows.h>

#include "about/sssetdlg.h"
#include "app/command_line.h"
#include "toolkit/win32/win32_backend.h"

namespace {

void configure() {
    tk::runner().hideApplicationWindow();
    TScrnSaveSetupDlg dialog;
    dialog.showModal();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const morvelux::CommandLine commandLine =
        morvelux::readCommandLine(morvelux::splitArguments(GetCommandLineA(), true));
    tk::win32::install(instance);
    switch (commandLine.mode) {
    case morvelux::SaverMode::Configure:
        configure();
        break;
    case morvelux::SaverMode::ChangePassword:
    case morvelux::SaverMode::Preview:
    case morvelux::SaverMode::FullScreen:
        break;
    }
    return 0;
}
