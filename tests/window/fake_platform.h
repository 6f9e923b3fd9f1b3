#pragma once
#include <string>
#include <utility>
#include <vector>

#include "tests/animation/fake_stage.h"
#include "window/saver_platform.h"

namespace morvelux::testing {

class FakePlatform : public SaverPlatform, public ReadoutSink {
public:
    FakeClock fakeClock;
    Registry* reg = nullptr;
    Size screen{1280, 1024};
    std::optional<std::int32_t> platform = 2;
    std::optional<tk::Bounds> hostRect = tk::Bounds{100, 200, 152, 112};
    int cursorShows = 0;  // ShowCursor's display counter
    std::vector<bool> saverRunningCalls;
    int timerPeriods = 0;  // begun minus ended
    int inputMethodDisabled = 0;
    int applicationWindowHidden = 0;

    Clock& clock() override { return fakeClock; }
    Registry& registry() override { return *reg; }
    void showCursor(bool show) override { cursorShows += show ? 1 : -1; }
    std::optional<tk::Bounds> windowRect(std::int32_t) override { return hostRect; }
    std::vector<tk::Monitor> screens;  // when empty, one primary monitor of `screen` at 96 DPI
    std::vector<tk::Monitor> monitors() override {
        if (screens.empty()) return {{{0, 0, screen.width, screen.height}, kDesignedDpi, true}};
        return screens;
    }
    std::optional<std::int32_t> platformId() override { return platform; }
    void setScreenSaverRunning(bool running) override { saverRunningCalls.push_back(running); }
    void disableInputMethod(tk::Form&) override { ++inputMethodDisabled; }
    void beginTimerPeriod() override { ++timerPeriods; }
    void endTimerPeriod() override { --timerPeriods; }
    void hideApplicationWindow() override { ++applicationWindowHidden; }
    tk::Form* notified = nullptr;  // registered for display, session and power notifications
    void registerNotifications(tk::Form& form) override { notified = &form; }
    void unregisterNotifications() override { notified = nullptr; }
    Rgb textColour = kBlack;
    std::vector<std::pair<Readout, std::string>> readouts;

    Rgb windowTextColour() override { return textColour; }
    ReadoutSink* readoutSink() override { return this; }
    void readout(Readout r, const std::string& text) override { readouts.emplace_back(r, text); }
};

}  // namespace morvelux::testing
