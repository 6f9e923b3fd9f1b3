#pragma once
#include "window/saver_platform.h"

namespace morvelux {

// The saver window's system calls, for real. The runner knows the
// application's own top-level window, which the saver hides.
class Win32SaverPlatform : public SaverPlatform {
public:
    explicit Win32SaverPlatform(tk::Runner& runner, ReadoutSink* sink = nullptr);

    Clock& clock() override;
    Registry& registry() override;
    void showCursor(bool show) override;
    std::optional<tk::Bounds> windowRect(std::int32_t window) override;
    std::vector<tk::Monitor> monitors() override;
    std::optional<std::int32_t> platformId() override;
    void setScreenSaverRunning(bool running) override;
    void disableInputMethod(tk::Form& form) override;
    void beginTimerPeriod() override;
    void endTimerPeriod() override;
    void hideApplicationWindow() override;
    Rgb windowTextColour() override;
    ReadoutSink* readoutSink() override { return sink_; }

private:
    class MultimediaClock : public Clock {
    public:
        Millis now() override;
    };
    MultimediaClock clock_;
    tk::Runner& runner_;
    ReadoutSink* sink_;
};

}  // namespace morvelux
