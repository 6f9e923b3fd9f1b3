#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "settings/registry_memory.h"
#include "tests/window/fake_platform.h"
#include "window/unit1.h"

namespace morvelux::testing {
namespace {

const SaverPictures& pictures() {
    static const SaverPictures loaded = loadSaverPictures();
    return loaded;
}

class SaverWindowTest : public ::testing::Test {
protected:
    MemoryRegistry registry;
    FakePlatform platform;
    std::unique_ptr<TForm1> form;

    SaverWindowTest() {
        SaverState = TSaverState{};
        tk::application().OnIdle = nullptr;
        platform.reg = &registry;
        platform.fakeClock.time = 50000;
    }

    ~SaverWindowTest() override { tk::application().OnIdle = nullptr; }

    TForm1& create(std::int32_t previewParent = 0) {
        SaverState.PreviewParent = previewParent;
        form = std::make_unique<TForm1>(platform, pictures());
        form->doCreate();
        return *form;
    }

    TForm1& activate(std::int32_t previewParent = 0) {
        create(previewParent);
        form->OnActivate();
        return *form;
    }

    void at(Millis now) { platform.fakeClock.time = now; }

    void moveOverPicture(Millis now) {
        at(now);
        form->Image1.OnMouseMove(0, 10, 10);
    }

    void moveOverBorder(Millis now) {
        at(now);
        form->OnMouseMove(0, 0, 0);
    }

    void key(void (TForm1::*handler)(std::uint16_t&, tk::Shift), std::uint16_t code) {
        (form.get()->*handler)(code, 0);
    }
};

TEST_F(SaverWindowTest, FullScreenCoversTheScreenWithThePanelCentred) {
    TForm1& f = create();
    EXPECT_EQ(f.bounds(), (tk::Bounds{0, 0, 1280, 1024}));
    EXPECT_EQ(f.Panel1.bounds(), (tk::Bounds{128, 128, 1024, 768}));
    EXPECT_TRUE(f.Panel1.visible());
    EXPECT_EQ(platform.cursorShows, -1);
    EXPECT_EQ(platform.timerPeriods, 1);
    EXPECT_EQ(platform.inputMethodDisabled, 1);
    EXPECT_TRUE(platform.saverRunningCalls.empty()) << "only Windows 95/98 is told a saver runs";
    EXPECT_TRUE(static_cast<bool>(tk::application().OnIdle));
    EXPECT_EQ(SaverState.FrameInterval, 60u);
    EXPECT_EQ(SaverState.WorkBmp.width(), 1600);
    EXPECT_EQ(SaverState.Layer2.height(), 768);

    tk::CreateParams params;
    params.style = 0x86000000;
    params.exStyle = 0x10000;
    f.createParams(params);
    EXPECT_EQ(params.style, 0x86000000u);
    EXPECT_EQ(params.exStyle, 0x10008u);
}

TEST_F(SaverWindowTest, SmallScreenCropsThePanelEqually) {
    platform.screen = {800, 600};
    EXPECT_EQ(create().Panel1.bounds(), (tk::Bounds{-112, -84, 1024, 768}));
}

TEST_F(SaverWindowTest, PreviewIsADisabledChildShowingTheSampleCentred) {
    TForm1& f = create(4242);
    tk::CreateParams params;
    params.style = 0x86000000;
    f.createParams(params);
    EXPECT_EQ(params.parentWindow, 4242);
    EXPECT_EQ(params.style, 0x58000000u);
    EXPECT_EQ(params.classStyle, 0x80u);
    EXPECT_EQ(params.exStyle & 0x8u, 0u);

    EXPECT_EQ(f.bounds(), (tk::Bounds{0, 0, 152, 112}));
    EXPECT_FALSE(f.Panel1.visible());
    EXPECT_TRUE(f.Image_Sample.visible());
    EXPECT_EQ(f.Image_Sample.bounds(), (tk::Bounds{-29, -22, 210, 156}));
    EXPECT_FALSE(static_cast<bool>(tk::application().OnIdle)) << "the preview does not animate";
    EXPECT_EQ(platform.cursorShows, 0);

    f.OnActivate();
    EXPECT_FALSE(SaverState.Animating);
}

TEST_F(SaverWindowTest, FirstActivationStartsTheAnimationAndLaterOnesChangeNothing) {
    TForm1& f = activate();
    EXPECT_EQ(f.Image1.left(), -576);
    EXPECT_EQ(f.Image1.bitmap(), &SaverState.WorkBmp);
    EXPECT_TRUE(SaverState.Animating);
    EXPECT_TRUE(SaverState.Activated);
    EXPECT_EQ(SaverState.ActivatedAt, 50000u);
    EXPECT_EQ(platform.applicationWindowHidden, 1);

    for (int i = 0; i < 4; ++i) f.AutoMove();
    at(60000);
    f.OnActivate();
    EXPECT_EQ(f.Image1.left(), -574);
    EXPECT_EQ(SaverState.ActivatedAt, 50000u);
}

TEST_F(SaverWindowTest, IdleHandlerDrivesTheAnimation) {
    TForm1& f = activate();
    bool done = true;
    at(50100);
    tk::application().OnIdle(done);
    EXPECT_FALSE(done);
    at(50160);
    tk::application().OnIdle(done);
    EXPECT_EQ(SaverState.MoveTick, 2);
    EXPECT_EQ(f.Image1.left(), -575);
    EXPECT_EQ(f.Label4.caption(), "0 ms");
    EXPECT_EQ(f.Label9.caption(), "60 ms");
    EXPECT_EQ(tk::application().idleWaitMs, 60u) << "the loop sleeps until the next tick is due";
    at(50200);
    tk::application().OnIdle(done);
    EXPECT_EQ(tk::application().idleWaitMs, 20u);
}

std::vector<std::pair<Readout, std::string>> hookedReadouts;

TEST_F(SaverWindowTest, ReadoutHookSeesEveryReadoutInOrder) {
    hookedReadouts.clear();
    TForm1::ReadoutHook = [](Readout label, const std::string& text) { hookedReadouts.emplace_back(label, text); };
    struct Unhook {
        ~Unhook() { TForm1::ReadoutHook = nullptr; }
    } unhook;
    activate();
    bool done = true;
    at(50100);
    tk::application().OnIdle(done);
    at(50160);
    tk::application().OnIdle(done);
    const std::vector<std::pair<Readout, std::string>> expected{
        {Readout::Label9, "0 ms"},   {Readout::Label4, "0 ms"},  // the frame composed at activation
        {Readout::Label9, "100 ms"}, {Readout::Label4, "0 ms"},  // the idle loop's first tick
        {Readout::Label9, "60 ms"},  {Readout::Label4, "0 ms"}};
    EXPECT_EQ(hookedReadouts, expected);
    EXPECT_EQ(form->Label9.caption(), "60 ms") << "the labels are written as before";
}

TEST_F(SaverWindowTest, EscapeClosesAtOnceAlsoWhilePaused) {
    activate();
    key(&TForm1::FormKeyDown, 32);
    EXPECT_FALSE(SaverState.Animating);
    key(&TForm1::FormKeyDown, 27);
    EXPECT_TRUE(form->Closed());
    EXPECT_FALSE(static_cast<bool>(tk::application().OnIdle));
}

TEST_F(SaverWindowTest, SpaceHoldsThePicture) {
    activate();
    key(&TForm1::FormKeyUp, 32);  // a release without a press
    EXPECT_TRUE(SaverState.Animating);
    key(&TForm1::FormKeyDown, 32);
    key(&TForm1::FormKeyDown, 32);  // key repeat
    EXPECT_FALSE(SaverState.Animating);
    key(&TForm1::FormKeyDown, 65);
    key(&TForm1::FormKeyUp, 65);
    EXPECT_FALSE(SaverState.Animating);
    key(&TForm1::FormKeyUp, 32);
    EXPECT_TRUE(SaverState.Animating);
    EXPECT_FALSE(form->Closed());
}

TEST_F(SaverWindowTest, ClicksClose) {
    activate();
    form->Image1.OnMouseDown(tk::MouseButton::Right, 0, 1, 1);
    EXPECT_TRUE(form->Closed());

    activate();
    form->Image1.OnDblClick();
    EXPECT_TRUE(form->Closed());
}

TEST_F(SaverWindowTest, MovesOverThePictureCloseOnlyWhenSustainedAfterTheGracePeriod) {
    activate();
    for (Millis t = 50000; t < 50000 + 26 * 50; t += 50) moveOverPicture(t);
    EXPECT_FALSE(form->Closed()) << "moves within 2 s of activation do not count";

    Millis t = 52001;
    for (int i = 1; i <= 25; ++i, t += 1000) moveOverPicture(t);
    EXPECT_EQ(SaverState.MouseMoveCount, 25);
    EXPECT_FALSE(form->Closed());
    moveOverPicture(t);  // exactly 1000 ms after the previous: still one run
    EXPECT_TRUE(form->Closed());
}

TEST_F(SaverWindowTest, APauseOverASecondStartsTheCountAgain) {
    activate();
    moveOverPicture(60000);
    moveOverPicture(60500);
    EXPECT_EQ(SaverState.MouseMoveCount, 2);
    moveOverPicture(61501);
    EXPECT_EQ(SaverState.MouseMoveCount, 1);
}

TEST_F(SaverWindowTest, NineMovesOverTheBorderCloseHoweverFarApart) {
    activate();
    for (int i = 0; i < 8; ++i) {
        at(50000 + i * 600000);
        form->OnMouseMove(0, 0, 0);
    }
    EXPECT_FALSE(form->Closed());
    form->OnMouseMove(0, 0, 0);
    EXPECT_TRUE(form->Closed());
}

// Each rule judges the one count that both kinds of move add to.
TEST_F(SaverWindowTest, PictureAndBorderMovesShareOneCount) {
    activate();
    Millis t = 50000;
    for (int i = 0; i < 5; ++i) moveOverPicture(t += 100);  // grace period: not counted
    t = 52000;
    for (int i = 0; i < 3; ++i) moveOverPicture(t += 100);
    for (int i = 0; i < 5; ++i) moveOverBorder(t += 100);
    EXPECT_EQ(SaverState.MouseMoveCount, 8);
    EXPECT_FALSE(form->Closed());
    for (int i = 0; i < 17; ++i) moveOverPicture(t += 100);  // past the border's limit, within the picture's
    EXPECT_EQ(SaverState.MouseMoveCount, 25);
    EXPECT_FALSE(form->Closed());
    moveOverPicture(t += 100);
    EXPECT_TRUE(form->Closed()) << "closed at 26 in all, after only 21 counted moves over the picture";

    at(50000);
    activate();
    t = 52000;
    for (int i = 0; i < 9; ++i) moveOverPicture(t += 100);
    EXPECT_FALSE(form->Closed());
    moveOverBorder(t += 100);
    EXPECT_TRUE(form->Closed()) << "one move over the border after nine over the picture";
}

TEST_F(SaverWindowTest, MoveCountDropsBackAtItsCeiling) {
    activate();
    SaverState.MouseMoveCount = 0x7FFFFFFE;
    SaverState.LastMouseMoveAt = 70000;
    moveOverPicture(70000);
    EXPECT_EQ(SaverState.MouseMoveCount, 100);
}

TEST_F(SaverWindowTest, PreviewIgnoresDoubleClicks) {
    activate(99);
    form->Image1.OnDblClick();
    EXPECT_FALSE(form->Closed());
}

TEST_F(SaverWindowTest, ScreenSaveCommandIsRefusedAndOthersPassOn) {
    activate();
    std::intptr_t result = 0;
    EXPECT_TRUE(form->OnSysCommand(0xF140, result));
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(form->OnSysCommand(0xF141, result));
    EXPECT_FALSE(form->OnSysCommand(0xF060, result));
}

TEST_F(SaverWindowTest, Windows9xIsToldTheSaverRunsAndStops) {
    platform.platform = 1;
    activate();
    EXPECT_EQ(platform.saverRunningCalls, std::vector<bool>{true});
    form->close();
    EXPECT_EQ(platform.saverRunningCalls, (std::vector<bool>{true, false}));
}

TEST_F(SaverWindowTest, UnknownSystemVersionEndsTheSaverAtOnce) {
    platform.platform.reset();
    TForm1& f = create();
    EXPECT_TRUE(f.CreationFailed());
    EXPECT_TRUE(f.Closed());
    EXPECT_FALSE(static_cast<bool>(tk::application().OnIdle));
}

TEST_F(SaverWindowTest, SettingsAreReadButChangeNothing) {
    registry.setValue("Software\\Valdrenn\\ScreenSaverSample", "SleepTime", {kRegSz, "500"});
    registry.setValue("Software\\Valdrenn\\ScreenSaverSample", "DispStr", {kRegSz, "hello"});
    create();
    EXPECT_EQ(SaverState.FrameInterval, 60u);
    EXPECT_EQ(form->DispStr(), "hello");
}

TEST_F(SaverWindowTest, DestructionRestoresTheTimerResolution) {
    create();
    form->doDestroy();
    EXPECT_EQ(platform.timerPeriods, 0);
}

}  // namespace
}  // namespace morvelux::testing
