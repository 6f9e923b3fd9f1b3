#include "app/run_modes.h"

#include <chrono>

#include "about/sssetdlg.h"
#include "window/unit1.h"

namespace morvelux {
namespace {

constexpr std::chrono::milliseconds kPreviewHostCheck{100};  // how often the preview looks for its host

void changePassword(tk::Application& app, SystemServices& system, std::int32_t owner) {
    app.runner().hideApplicationWindow();
    system.changePassword(owner);
}

void configure(tk::Application& app, SystemServices& system) {
    app.runner().hideApplicationWindow();
    auto& dialog = app.make<TScrnSaveSetupDlg>(system.registry(), system.desktopWindows());
    dialog.showModal();
    app.release(dialog);
}

// Polls until the host closes the window. Also ends when there is no host,
// when the window cannot be made, or when the host goes away without a close
// request, since nothing else would ever end the loop then.
void preview(tk::Application& app, SystemServices& system, std::int32_t host) {
    app.runner().hideApplicationWindow();
    if (!system.windowAlive(host)) return;
    const SaverPictures pictures = loadSaverPictures();
    auto& form = app.make<TForm1>(system.saverPlatform(), pictures, host);
    if (form.createHandle()) {
        while (!form.Closed() && system.windowAlive(host) && form.handleCreated()) {
            app.processMessages();
            if (form.Closed()) break;
            app.runner().waitForMessage(kPreviewHostCheck);
        }
    }
    app.release(form);
}

void fullScreen(tk::Application& app, SystemServices& system) {
    app.setTitle("screen saver");
    const SaverPictures pictures = loadSaverPictures();
    auto& form = app.createForm<TForm1>(system.saverPlatform(), pictures, 0);
    // A window that could not be made, or that gave up while it was set up,
    // would leave a message loop that nothing can end.
    if (form.handleCreated() && !form.creationFailed()) app.run();
    app.release(form);
}

}  // namespace

int RunMode(const CommandLine& commandLine, tk::Application& app, SystemServices& system) {
    switch (commandLine.mode) {
        case SaverMode::ChangePassword: changePassword(app, system, commandLine.handle); break;
        case SaverMode::Configure: configure(app, system); break;
        case SaverMode::Preview: preview(app, system, commandLine.handle); break;
        case SaverMode::FullScreen: fullScreen(app, system); break;
    }
    return 0;
}

}  // namespace morvelux
