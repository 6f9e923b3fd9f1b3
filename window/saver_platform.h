#pragma once
// The system calls the saver window makes, behind a seam so that its
// handlers can be driven in native tests.
#include <cstdint>
#include <optional>

#include <string>
#include <vector>

#include "animation/clock.h"
#include "animation/saver_view.h"
#include "settings/registry.h"
#include "toolkit/tk.h"

namespace morvelux {

// Sees every readout as its label shows it; only a measuring build has one.
class ReadoutSink {
public:
    virtual ~ReadoutSink() = default;
    virtual void readout(Readout readout, const std::string& text) = 0;
};

class SaverPlatform {
public:
    virtual ~SaverPlatform() = default;
    virtual Clock& clock() = 0;
    virtual Registry& registry() = 0;
    virtual void showCursor(bool show) = 0;
    virtual std::optional<tk::Bounds> windowRect(std::int32_t window) = 0;  // screen rectangle of a window
    virtual std::vector<tk::Monitor> monitors() = 0;  // the primary first; never empty
    virtual std::optional<std::int32_t> platformId() = 0;                 // nothing when the system will not say
    virtual void setScreenSaverRunning(bool running) = 0;                 // SPI_SCREENSAVERRUNNING
    virtual void disableInputMethod(tk::Form& form) = 0;
    virtual void beginTimerPeriod() = 0;  // 1 ms timer resolution
    virtual void endTimerPeriod() = 0;
    virtual void hideApplicationWindow() = 0;
    // The form hears when the display goes dark or lights, the session locks
    // or disconnects and back, the machine sleeps and wakes, where the
    // system tells; until unregistered, before the form's window goes.
    virtual void registerNotifications(tk::Form& form) = 0;
    virtual void unregisterNotifications() = 0;
    virtual Rgb windowTextColour() = 0;
    virtual ReadoutSink* readoutSink() { return nullptr; }
};

}  // namespace morvelux
