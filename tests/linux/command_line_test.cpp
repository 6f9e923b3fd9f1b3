#include <gtest/gtest.h>

#include <vector>

#include "linux/command_line.h"

namespace morvelux {
namespace {

ParsedCommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "morvelux");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(WindowId, DecimalOrHexadecimalAfter0x) {
    EXPECT_EQ(parseWindowId("4194311"), 4194311u);
    EXPECT_EQ(parseWindowId("0x400007"), 0x400007u);
    EXPECT_EQ(parseWindowId("0XABCDEF"), 0xABCDEFu);
    EXPECT_EQ(parseWindowId("0xffffffff"), 0xFFFFFFFFu);
}

TEST(WindowId, RefusesWhatNamesNoWindow) {
    for (const char* text :
         {"", "0", "0x", "0x0", "-1", "+5", " 12", "12 ", "12z", "0x12g", "4294967296", "0x100000000"})
        EXPECT_FALSE(parseWindowId(text)) << text;
}

TEST(CommandLine, OneOrTwoDashes) {
    const auto a = parse({"-root", "--display", ":7", "-trace", "t.txt"});
    ASSERT_EQ(a.action, Action::Run);
    EXPECT_TRUE(a.options.root);
    EXPECT_EQ(a.options.display, ":7");
    EXPECT_EQ(a.options.trace, "t.txt");
    const auto b = parse({"--window-id", "0x20", "--window"});
    EXPECT_EQ(b.options.windowId, 0x20u);
    EXPECT_TRUE(b.options.ownWindow);
    const auto c = parse({"--wayland", "-no-layer-shell", "-trace", "t.txt"});
    EXPECT_TRUE(c.options.wayland);
    EXPECT_FALSE(c.options.layerShell);
    EXPECT_FALSE(parse({"-window"}).options.wayland);
    EXPECT_TRUE(parse({"-wayland"}).options.layerShell);
    EXPECT_TRUE(parse({"--root"}).options.root);
    EXPECT_EQ(parse({"--help", "-bogus"}).action, Action::Help);
    EXPECT_EQ(parse({"-version"}).action, Action::Version);
    EXPECT_EQ(parse({"--add-to-xscreensaver"}).action, Action::AddToXScreenSaver);
}

TEST(CommandLine, FailuresAreOneLineNamingTheCulprit) {
    for (const auto& args : std::vector<std::vector<const char*>>{{"-bogus"},
                                                                  {"stray"},
                                                                  {"-window-id"},
                                                                  {"-window-id", "zz"},
                                                                  {"-root", "-display"},
                                                                  {"-wayland", "-display"},
                                                                  {"-wayland", "-root"},
                                                                  {"-window-id", "5", "-wayland"},
                                                                  {"-no-layer-shell"},
                                                                  {"-wayland", "-idle", "0"},
                                                                  {"-wayland", "-idle", "86401"},
                                                                  {"-wayland", "-idle", "5s"},
                                                                  {"-autostart", "never"},
                                                                  {"-wayland", "-idle"}}) {
        const auto parsed = parse(args);
        EXPECT_EQ(parsed.action, Action::Fail);
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
        EXPECT_NE(parsed.error.find(args.back()), std::string::npos) << parsed.error;
    }
}

TEST(CommandLine, IdleAndAutostartTakeSecondsUpToADay) {
    EXPECT_EQ(parse({"-wayland", "-idle", "300"}).options.idleSeconds, 300);
    EXPECT_EQ(parse({"-wayland", "--idle", "86400"}).options.idleSeconds, 86400);
    EXPECT_EQ(parse({"-wayland"}).options.idleSeconds, 0);
    const auto on = parse({"-autostart", "1"}), off = parse({"--autostart", "off"});
    EXPECT_EQ(on.action, Action::Autostart);
    EXPECT_EQ(on.autostartSeconds, 1);
    EXPECT_EQ(off.action, Action::Autostart);
    EXPECT_EQ(off.autostartSeconds, 0);
    const auto x11 = parse({"-idle", "300"});
    EXPECT_EQ(x11.action, Action::Fail);
    EXPECT_NE(x11.error.find("-wayland"), std::string::npos) << x11.error;
}

x11::Options x11Choice(std::vector<const char*> args, const char* variable) {
    std::string error;
    const auto chosen = x11Options(parse(args).options, variable, error);
    EXPECT_TRUE(chosen) << error;
    return chosen.value_or(x11::Options{});
}

TEST(X11Options, ExplicitChoiceThenTheDaemonsWindowThenRoot) {
    using x11::Target;
    EXPECT_EQ(x11Choice({}, nullptr).target, Target::OwnWindow);
    EXPECT_EQ(x11Choice({"-root"}, nullptr).target, Target::Root);
    const auto daemon = x11Choice({"-root", "-display", ":3"}, "0x1e00005");
    EXPECT_EQ(daemon.target, Target::Given);
    EXPECT_EQ(daemon.window, 0x1e00005u);
    EXPECT_EQ(daemon.display, ":3");
    EXPECT_EQ(x11Choice({}, "77").window, 77u);
    EXPECT_EQ(x11Choice({"-window-id", "9"}, "77").window, 9u);
    EXPECT_EQ(x11Choice({"-window"}, "77").target, Target::OwnWindow);
    EXPECT_EQ(x11Choice({"-root"}, "").target, Target::Root);  // set but empty: not set
}

TEST(X11Options, DaemonsWindowThatIsNoNumber) {
    std::string error;
    EXPECT_FALSE(x11Options(Options{}, "window", error));
    EXPECT_NE(error.find("XSCREENSAVER_WINDOW"), std::string::npos);
}

}  // namespace
}  // namespace morvelux
