// The main block: reads the mode switch the system starts a screen saver
// with, runs that one mode and ends.
#include <windows.h>

#include "about/sssetdlg.h"
#include "animation/saver_state.h"
#include "app/command_line.h"
#include "app/password.h"
#include "toolkit/win32/win32_backend.h"
#include "window/saver_platform_win32.h"
#include "window/unit1.h"

using namespace morvelux;

namespace {

constexpr unsigned kPreviewHostCheckMs = 100;  // how often the preview looks for its host

void hideApplicationWindow() { tk::runner().hideApplicationWindow(); }

HWND windowOf(std::int32_t handle) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle)); }

SaverPlatform& platform() { return win32SaverPlatform(hideApplicationWindow); }

void changePassword(std::int32_t owner) {
    hideApplicationWindow();
    SaverState.PreviewParent = owner;
    changeSaverPassword(owner);
}

void configure() {
    hideApplicationWindow();
    TScrnSaveSetupDlg dialog;
    dialog.showModal();
}

bool hostAlive(std::int32_t host) { return host != 0 && IsWindow(windowOf(host)); }

// Polls until the host closes the window. Also ends when there is no host,
// or when the host goes away without a close request, since nothing else
// would ever end the loop then.
void preview(std::int32_t host) {
    hideApplicationWindow();
    SaverState.PreviewParent = host;
    if (!hostAlive(host)) return;
    const SaverPictures pictures = loadSaverPictures();
    TForm1 form(platform(), pictures);
    SaverState.Form1 = &form;
    form.createHandle();
    while (!form.Closed() && hostAlive(host) && tk::win32::handleOf(form)) {
        tk::application().processMessages();
        if (form.Closed()) break;
        tk::runner().waitForMessage(kPreviewHostCheckMs);
    }
    SaverState.Form1 = nullptr;
}

void fullScreen() {
    tk::application().title = "screen saver";
    const SaverPictures pictures = loadSaverPictures();
    TForm1 form(platform(), pictures);
    SaverState.Form1 = &form;
    tk::application().createForm(form);
    if (!form.CreationFailed()) tk::application().run();
    SaverState.Form1 = nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const CommandLine commandLine = readCommandLine(splitArguments(GetCommandLineA(), true));
    tk::win32::install(instance);
    switch (commandLine.mode) {
        case SaverMode::ChangePassword: changePassword(commandLine.handle); break;
        case SaverMode::Configure: configure(); break;
        case SaverMode::Preview: preview(commandLine.handle); break;
        case SaverMode::FullScreen: fullScreen(); break;
    }
    return 0;
}
