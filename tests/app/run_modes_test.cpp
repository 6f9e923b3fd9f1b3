#include "app/run_modes.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "settings/registry_memory.h"
#include "tests/toolkit/fake_backend.h"
#include "tests/window/fake_platform.h"

namespace morvelux::testing {
namespace {

class RecordingRunner : public tk::Runner {
public:
    int loops = 0;
    std::function<void()> onWait;
    void run(tk::Application&) override { ++loops; }
    void processMessages(tk::Application&) override {}
    void hideApplicationWindow() override {}
    void titleChanged(const std::string&) override {}
    void waitForMessage(std::chrono::milliseconds) override {
        if (onWait) onWait();
    }
};

class FakeSystem : public SystemServices, public DesktopWindows {
public:
    FakePlatform saver;
    MemoryRegistry memory;
    bool hostAlive = true;
    std::vector<std::int32_t> passwordOwners;

    FakeSystem() { saver.reg = &memory; }
    SaverPlatform& saverPlatform() override { return saver; }
    Registry& registry() override { return memory; }
    DesktopWindows& desktopWindows() override { return *this; }
    bool windowAlive(std::int32_t window) override { return window != 0 && hostAlive; }
    void changePassword(std::int32_t owner) override { passwordOwners.push_back(owner); }
    std::intptr_t foregroundWindow() override { return 0; }
    void enableWindow(std::intptr_t, bool) override {}
};

struct RunModesTest : ::testing::Test {
    tk::testing::FakeBackend backend;
    RecordingRunner runner;
    FakeSystem system;

    int run(SaverMode mode, std::int32_t handle = 0) {
        tk::Application app(backend, runner);
        return RunMode({"", mode, handle}, app, system);
    }
};

TEST_F(RunModesTest, WithoutWindowsEveryModeEndsAtOnceWithExitCodeZero) {
    backend.refuseWindows = true;
    system.saver.fakeClock.time = 1;
    for (SaverMode mode : {SaverMode::FullScreen, SaverMode::Preview, SaverMode::Configure}) {
        EXPECT_EQ(run(mode, 0x1234), 0);
    }
    EXPECT_EQ(runner.loops, 0) << "no message loop that nothing could end";
    EXPECT_EQ(system.saver.timerPeriods, 0) << "a window that was never made sets nothing up";
}

TEST_F(RunModesTest, FullScreenRunsTheLoopAndUndoesItsSetUp) {
    EXPECT_EQ(run(SaverMode::FullScreen), 0);
    EXPECT_EQ(runner.loops, 1);
    EXPECT_EQ(system.saver.timerPeriods, 0);
}

TEST_F(RunModesTest, PreviewEndsWhenItsHostGoesAway) {
    runner.onWait = [this] { system.hostAlive = false; };
    EXPECT_EQ(run(SaverMode::Preview, 0x1234), 0);
    EXPECT_EQ(backend.realised.at(0).parentWindow, 0x1234);
    EXPECT_EQ(system.saver.timerPeriods, 0);
}

TEST_F(RunModesTest, PasswordChangeIsOwnedByTheGivenWindow) {
    EXPECT_EQ(run(SaverMode::ChangePassword, 0x4321), 0);
    EXPECT_EQ(system.passwordOwners, std::vector<std::int32_t>{0x4321});
    EXPECT_TRUE(backend.realised.empty());
}

}  // namespace
}  // namespace morvelux::testing
