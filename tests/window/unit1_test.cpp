#include <gtest/gtest.h>

#include <chrono>
#include <functional>
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
    tk::Application app;
    TForm1* form = nullptr;

    SaverWindowTest() {
        platform.reg = &registry;
        platform.fakeClock.time = 50000;
    }

    TForm1& create(std::int32_t previewParent = 0) {
        if (form) app.release(*form);
        form = &app.make<TForm1>(platform, pictures(), previewParent);
        form->doCreate();
        return *form;
    }

    TSaverState& state() { return form->state(); }

    tk::IdleWait idleAt(Millis now) {
        at(now);
        return app.idle();
    }

    // `count` motion steps through the idle handler, 60 ms apart from 50000.
    void ticks(int count) {
        for (int i = 0; i < count; ++i) idleAt(50000 + static_cast<Millis>(i) * 60);
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

    void key(void (TForm1::*handler)(tk::Key&, tk::Shift), tk::Key code) { (form->*handler)(code, 0); }
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
    EXPECT_TRUE(static_cast<bool>(app.OnIdle));
    EXPECT_EQ(state().FrameInterval, 60u);
    EXPECT_EQ(state().WorkBmp.width(), 1600);
    EXPECT_EQ(state().Layer2.height(), 768);

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
    EXPECT_FALSE(static_cast<bool>(app.OnIdle)) << "the preview does not animate";
    EXPECT_EQ(platform.cursorShows, 0);

    f.OnActivate();
    EXPECT_FALSE(state().Animating);
}

TEST_F(SaverWindowTest, FirstActivationStartsTheAnimationAndLaterOnesChangeNothing) {
    TForm1& f = activate();
    EXPECT_EQ(f.Image1.left(), -576);
    EXPECT_EQ(f.Image1.bitmap(), &state().WorkBmp);
    EXPECT_TRUE(state().Animating);
    EXPECT_TRUE(state().Activated);
    EXPECT_EQ(state().ActivatedAt, 50000u);
    EXPECT_EQ(platform.applicationWindowHidden, 1);

    ticks(4);
    at(60000);
    f.OnActivate();
    EXPECT_EQ(f.Image1.left(), -574);
    EXPECT_EQ(state().ActivatedAt, 50000u);
}

TEST_F(SaverWindowTest, IdleHandlerDrivesTheAnimationAndSleepsUntilTheNextTick) {
    TForm1& f = activate();
    EXPECT_TRUE(idleAt(50100).has_value()) << "the saver always has more to do";
    const tk::IdleWait wait = idleAt(50160);
    EXPECT_EQ(state().MoveTick, 2);
    EXPECT_EQ(f.Image1.left(), -575);
    EXPECT_EQ(f.Label4.caption(), "0 ms");
    EXPECT_EQ(f.Label9.caption(), "60 ms");
    EXPECT_EQ(wait, std::chrono::milliseconds(60));
    EXPECT_EQ(idleAt(50200), std::chrono::milliseconds(20));
}

TEST_F(SaverWindowTest, EachFrameTakesTheTextColourOfItsMoment) {
    platform.textColour = {128, 0, 0};
    TForm1& f = activate();
    ASSERT_EQ(f.Image1.bitmap(), &state().WorkBmp);
    EXPECT_EQ(state().WorkBmp.palette()[0], (Rgb{128, 0, 0}));
    platform.textColour = {0, 0, 255};
    idleAt(50100);
    EXPECT_EQ(state().WorkBmp.palette()[0], (Rgb{0, 0, 255}));
    EXPECT_EQ(state().WorkBmp.palette()[1], kWhite);
}

TEST_F(SaverWindowTest, ReadoutSinkSeesEveryReadoutInOrder) {
    activate();
    idleAt(50100);
    idleAt(50160);
    const std::vector<std::pair<Readout, std::string>> expected{
        {Readout::FrameInterval, "0 ms"},   {Readout::RenderTime, "0 ms"},  // the frame composed at activation
        {Readout::FrameInterval, "100 ms"}, {Readout::RenderTime, "0 ms"},  // the idle loop's first tick
        {Readout::FrameInterval, "60 ms"},  {Readout::RenderTime, "0 ms"}};
    EXPECT_EQ(platform.readouts, expected);
    EXPECT_EQ(form->Label9.caption(), "60 ms") << "the labels are written as before";
}

TEST_F(SaverWindowTest, EscapeClosesAtOnceAlsoWhilePaused) {
    activate();
    key(&TForm1::FormKeyDown, 32);
    EXPECT_FALSE(state().Animating);
    key(&TForm1::FormKeyDown, 27);
    EXPECT_TRUE(form->Closed());
    EXPECT_FALSE(static_cast<bool>(app.OnIdle));
}

TEST_F(SaverWindowTest, SpaceHoldsThePicture) {
    activate();
    key(&TForm1::FormKeyUp, 32);  // a release without a press
    EXPECT_TRUE(state().Animating);
    key(&TForm1::FormKeyDown, 32);
    key(&TForm1::FormKeyDown, 32);  // key repeat
    EXPECT_FALSE(state().Animating);
    key(&TForm1::FormKeyDown, 65);
    key(&TForm1::FormKeyUp, 65);
    EXPECT_FALSE(state().Animating);
    key(&TForm1::FormKeyUp, 32);
    EXPECT_TRUE(state().Animating);
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
    EXPECT_EQ(state().MouseMoveCount, 25);
    EXPECT_FALSE(form->Closed());
    moveOverPicture(t);  // exactly 1000 ms after the previous: still one run
    EXPECT_TRUE(form->Closed());
}

TEST_F(SaverWindowTest, APauseOverASecondStartsTheCountAgain) {
    activate();
    moveOverPicture(60000);
    moveOverPicture(60500);
    EXPECT_EQ(state().MouseMoveCount, 2);
    moveOverPicture(61501);
    EXPECT_EQ(state().MouseMoveCount, 1);
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
    EXPECT_EQ(state().MouseMoveCount, 8);
    EXPECT_FALSE(form->Closed());
    for (int i = 0; i < 17; ++i) moveOverPicture(t += 100);  // past the border's limit, within the picture's
    EXPECT_EQ(state().MouseMoveCount, 25);
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
    state().MouseMoveCount = 0x7FFFFFFE;
    state().LastMouseMoveAt = 70000;
    moveOverPicture(70000);
    EXPECT_EQ(state().MouseMoveCount, 100);
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

TEST_F(SaverWindowTest, Windows9xIsToldTheSaverStoppedWhenTheLoopEndsWithoutAClose) {
    platform.platform = 1;
    activate();
    app.terminate();  // as a WM_QUIT does: the form is released, never closed
    app.release(*form);
    form = nullptr;
    EXPECT_EQ(platform.saverRunningCalls, (std::vector<bool>{true, false}));
}

TEST_F(SaverWindowTest, UnknownSystemVersionEndsTheSaverAtOnce) {
    platform.platform.reset();
    TForm1& f = create();
    EXPECT_TRUE(f.creationFailed());
    EXPECT_TRUE(f.Closed());
    EXPECT_FALSE(static_cast<bool>(app.OnIdle));
}

TEST_F(SaverWindowTest, SettingsAreReadButChangeNothing) {
    registry.setValue("Software\\Valdrenn\\ScreenSaverSample", "SleepTime", {kRegSz, "500"});
    registry.setValue("Software\\Valdrenn\\ScreenSaverSample", "DispStr", {kRegSz, "hello"});
    create();
    EXPECT_EQ(state().FrameInterval, 60u);
    EXPECT_EQ(form->DispStr(), "hello");
}

TEST_F(SaverWindowTest, DestructionRestoresTheTimerResolution) {
    create();
    app.release(*form);
    EXPECT_EQ(platform.timerPeriods, 0);
}

// Nobody can see the saver: display off, session locked or away, asleep.
class SaverHoldTest : public SaverWindowTest {
public:
    // Motion steps the idle loop takes calling every millisecond from `from` to `to`.
    int stepsBetween(Millis from, Millis to) {
        const int before = state().MoveTick;
        for (Millis t = from; t != to; ++t) idleAt(t);
        return state().MoveTick - before;
    }
    void display(tk::DisplayState s) { form->OnDisplayState(s); }
    void session(tk::SessionChange c) { form->OnSessionChange(c); }
    void power(tk::PowerChange c) { form->OnPowerChange(c); }
};

TEST_F(SaverHoldTest, EachNotificationHoldsTheMotionAndItsCounterpartGoesOnFromTheSameFrame) {
    using D = tk::DisplayState;
    using S = tk::SessionChange;
    using P = tk::PowerChange;
    const std::vector<std::pair<std::function<void(SaverHoldTest&)>, std::function<void(SaverHoldTest&)>>> pairs{
        {[](auto& t) { t.display(D::Off); }, [](auto& t) { t.display(D::On); }},
        {[](auto& t) { t.display(D::Off); }, [](auto& t) { t.display(D::Dimmed); }},
        {[](auto& t) { t.session(S::Lock); }, [](auto& t) { t.session(S::Unlock); }},
        {[](auto& t) { t.session(S::ConsoleDisconnect); }, [](auto& t) { t.session(S::ConsoleConnect); }},
        {[](auto& t) { t.session(S::RemoteDisconnect); }, [](auto& t) { t.session(S::RemoteConnect); }},
        {[](auto& t) { t.power(P::Suspend); }, [](auto& t) { t.power(P::Resume); }},
        {[](auto& t) { t.power(P::Suspend); }, [](auto& t) { t.display(D::On); }},  // a missed resume
    };
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        SCOPED_TRACE(i);
        at(50000);
        activate();
        EXPECT_EQ(platform.notified, form);
        EXPECT_EQ(stepsBetween(50001, 50200), 4);
        pairs[i].first(*this);
        EXPECT_TRUE(form->held());
        EXPECT_EQ(platform.timerPeriods, 0) << "the fine timer is given back";
        const TSaverState before = state();
        EXPECT_EQ(idleAt(50300), std::nullopt) << "it waits for messages only";
        EXPECT_EQ(stepsBetween(50300, 53000), 0);
        EXPECT_EQ(state().LastTickAt, before.LastTickAt);

        at(90000);
        pairs[i].second(*this);
        EXPECT_FALSE(form->held());
        EXPECT_EQ(platform.timerPeriods, 1);
        EXPECT_EQ(idleAt(90000), std::chrono::milliseconds(60));
        EXPECT_EQ(state().MoveTick, before.MoveTick) << "the same frame first";
        EXPECT_EQ(stepsBetween(90000, 90060), 0);
        EXPECT_EQ(stepsBetween(90060, 90600), 9);
        EXPECT_FALSE(form->Closed());
        EXPECT_EQ(state().MouseMoveCount, 0) << "no input";
    }
}

TEST_F(SaverHoldTest, OnlyTheEndOfAHoldThereWasReleasesAndEveryReasonMustEnd) {
    activate();
    session(tk::SessionChange::Unlock);  // started after a lock: runs as it was
    display(tk::DisplayState::On);
    EXPECT_EQ(platform.timerPeriods, 1);
    EXPECT_EQ(stepsBetween(50001, 50121), 2);

    session(tk::SessionChange::Lock);
    session(tk::SessionChange::RemoteDisconnect);
    display(tk::DisplayState::Off);
    EXPECT_EQ(platform.timerPeriods, 0);
    display(tk::DisplayState::On);
    session(tk::SessionChange::RemoteConnect);
    EXPECT_TRUE(form->held()) << "reconnected to the lock screen";
    session(tk::SessionChange::Unlock);
    EXPECT_FALSE(form->held());
    EXPECT_EQ(platform.timerPeriods, 1);

    display(tk::DisplayState::Off);
    app.release(*form);  // ended while held
    form = nullptr;
    EXPECT_EQ(platform.timerPeriods, 0) << "given back once, not twice";
    EXPECT_EQ(platform.notified, nullptr);
}

TEST_F(SaverHoldTest, SpaceAndAHoldNeitherEndNorStartEachOther) {
    activate();
    key(&TForm1::FormKeyDown, 32);
    display(tk::DisplayState::Off);
    key(&TForm1::FormKeyUp, 32);  // Space let go while held
    EXPECT_EQ(stepsBetween(50001, 50500), 0);
    display(tk::DisplayState::On);
    EXPECT_EQ(stepsBetween(50500, 50621), 2);

    display(tk::DisplayState::Off);
    key(&TForm1::FormKeyDown, 32);  // Space pressed while held
    display(tk::DisplayState::On);
    EXPECT_EQ(stepsBetween(50621, 51000), 0) << "still paused by Space";
    key(&TForm1::FormKeyUp, 32);
    EXPECT_EQ(stepsBetween(51000, 51121), 2);
}

TEST_F(SaverHoldTest, ThePreviewIgnoresThem) {
    activate(99);
    EXPECT_EQ(platform.notified, nullptr);
    display(tk::DisplayState::Off);
    power(tk::PowerChange::Suspend);
    EXPECT_FALSE(form->held());
    EXPECT_EQ(platform.timerPeriods, 1);
}

// However far the clock jumps while the machine sleeps (or while the saver
// is stopped without being told), the motion goes on a step at a time,
// also when it wakes in the last interval before the clock wraps.
TEST_F(SaverHoldTest, AfterAClockJumpTheMotionNeitherBurstsNorFreezes) {
    const Millis threeHours = 3 * 3600 * 1000;
    for (const Millis start : {Millis{50000}, Millis{0xFFFF0000u}, Millis{0xFFFFFFC4u} - 121 - threeHours}) {
        for (const bool told : {true, false}) {
            SCOPED_TRACE(::testing::Message() << start << (told ? " told" : " not told"));
            at(start);
            activate();
            EXPECT_EQ(stepsBetween(start + 1, start + 121), 2);
            if (told) power(tk::PowerChange::Suspend);
            const Millis woke = start + 121 + threeHours;
            at(woke);
            if (told) power(tk::PowerChange::Resume);
            EXPECT_EQ(stepsBetween(woke, woke + 60), told ? 0 : 1);
            EXPECT_EQ(stepsBetween(woke + 60, woke + 600), 9);
            EXPECT_LE(idleAt(woke + 600), std::chrono::milliseconds(60));
        }
    }
}

}  // namespace
}  // namespace morvelux::testing

namespace morvelux::testing {
namespace {

// The panels of the monitors after the primary, in the monitors' order.
std::vector<tk::Control*> otherPanels(TForm1& form) {
    std::vector<tk::Control*> panels;
    for (tk::Control* child : form.children())
        if (child->name() == "MonitorPanel") panels.push_back(child);
    return panels;
}

tk::Image& imageOf(tk::Control* panel) { return static_cast<tk::Image&>(*panel->children().front()); }

// Left of the primary (negative coordinates), the primary, and a 4K monitor at 200 % below it.
const std::vector<tk::Monitor> kThreeMonitors{{{0, 0, 1024, 768}, 96, true},
                                              {{-1280, -100, 1280, 1024}, 96, false},
                                              {{0, 768, 3840, 2160}, 192, false}};

TEST_F(SaverWindowTest, EveryMonitorShowsTheSameFrameCentredAtItsWholeZoom) {
    platform.screens = kThreeMonitors;
    TForm1& f = activate();
    EXPECT_EQ(f.bounds(), (tk::Bounds{-1280, -100, 5120, 3028})) << "the whole desktop";
    EXPECT_EQ(f.Panel1.bounds(), (tk::Bounds{1280, 100, 1024, 768})) << "the primary as on its own";
    const auto others = otherPanels(f);
    ASSERT_EQ(others.size(), 2u);
    EXPECT_EQ(others[0]->bounds(), (tk::Bounds{128, 128, 1024, 768}));
    EXPECT_EQ(others[1]->bounds(), (tk::Bounds{1280 + 896, 868 + 312, 2048, 1536}));
    EXPECT_EQ(f.panelSize(), kPanelSize) << "the animation sees pattern pixels";

    ticks(3);
    EXPECT_EQ(imageOf(others[0]).bounds(), (tk::Bounds{f.Image1.left(), 0, 1600, 768}));
    EXPECT_EQ(imageOf(others[1]).bounds(), (tk::Bounds{2 * f.Image1.left(), 0, 3200, 1536}));
    EXPECT_EQ(imageOf(others[1]).zoom(), 2);
    for (tk::Control* panel : others) EXPECT_EQ(imageOf(panel).bitmap(), &state().WorkBmp);
}

TEST_F(SaverWindowTest, InputOnAnotherMonitorFollowsThePrimarysRules) {
    platform.screens = kThreeMonitors;
    activate();
    tk::Image& second = imageOf(otherPanels(*form)[1]);
    for (int i = 0; i < 8; ++i) {
        at(53000 + i * 10);
        second.OnMouseMove(0, 5, 5);
    }
    EXPECT_FALSE(form->Closed());
    form->OnMouseMove(0, 0, 0);
    EXPECT_TRUE(form->Closed()) << "the second monitor's picture moves count on the border's count";

    activate();
    imageOf(otherPanels(*form)[0]).OnMouseDown(tk::MouseButton::Left, 0, 1, 1);
    EXPECT_TRUE(form->Closed());
}

TEST_F(SaverWindowTest, ScreensChangingUnderItAreLaidOutAgainWithoutDisturbingTheMotion) {
    platform.screens = kThreeMonitors;
    TForm1& f = activate();
    for (int i = 0; i < 5; ++i) idleAt(50000 + i * 60);
    const TSaverState before = state();
    const int left = f.Image1.left();

    platform.screens = {{{0, 0, 1920, 1080}, 144, true}};  // one monitor, new resolution and DPI
    f.OnDisplayChange();
    EXPECT_TRUE(otherPanels(f).empty()) << "the panels of monitors that went are gone";
    EXPECT_EQ(f.bounds(), (tk::Bounds{0, 0, 1920, 1080}));
    EXPECT_EQ(f.Panel1.bounds(), (tk::Bounds{448, 156, 1024, 768})) << "1.5 rounds down to zoom 1";

    platform.screens = {{{0, 0, 3840, 2160}, 192, true}, {{3840, 0, 1024, 768}, 96, false}};
    f.OnDisplayChange();
    EXPECT_EQ(f.Panel1.bounds(), (tk::Bounds{896, 312, 2048, 1536}));
    EXPECT_EQ(f.Image1.left(), 2 * left);
    ASSERT_EQ(otherPanels(f).size(), 1u);
    EXPECT_EQ(imageOf(otherPanels(f)[0]).bitmap(), &state().WorkBmp) << "a new monitor shows the frame at once";
    EXPECT_EQ(state().ActivatedAt, before.ActivatedAt) << "the title card keeps its time";
    EXPECT_EQ(state().MoveTick, before.MoveTick);
    EXPECT_EQ(state().LastTickAt, before.LastTickAt);
    EXPECT_FALSE(f.Closed());
}

}  // namespace
}  // namespace morvelux::testing
