#pragma once
#include <memory>

#include "window/saver_platform.h"

namespace tk::win32 {
class SystemNotifications;
}

namespace morvelux {

// The saver window's system calls, for real. The runner knows the
// application's own top-level window, which the saver hides.
class Win32SaverPlatform : public SaverPlatform {
public:
    explicit Win32SaverPlatform(tk::Runner& runner, ReadoutSink* sink = nullptr);
    ~Win32SaverPlatform() override;
    Win32SaverPlatform(const Win32SaverPlatform&) = delete;
    Win32SaverPlatform& operator=(const Win32SaverPlatform&) = delete;

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
    void registerNotifications(tk::Form& form) override;
    void unregisterNotifications() override;
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
    std::unique_ptr<tk::win32::SystemNotifications> notifications_;
};

}  // namespace morvelux
