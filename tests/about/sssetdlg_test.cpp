#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "about/sssetdlg.h"
#include "gfx/layout.h"
#include "tests/toolkit/fake_backend.h"

namespace {

using morvelux::TScrnSaveSetupDlg;
using tk::testing::FakeBackend;

class FakeDesktop : public morvelux::DesktopWindows {
public:
    std::intptr_t front = 0x5150;
    std::map<std::intptr_t, bool> enabled;
    std::intptr_t foregroundWindow() override { return front; }
    void enableWindow(std::intptr_t window, bool enable) override { enabled[window] = enable; }
    bool disabled(std::intptr_t window) const { return enabled.contains(window) && !enabled.at(window); }
};

// Counts the keys opened and closed; holds no values.
class CountingRegistry : public morvelux::Registry {
public:
    std::vector<std::string> created;
    int open = 0;
    morvelux::RegKey createKey(morvelux::RegKey, std::string_view path, std::uint32_t) override {
        created.emplace_back(path);
        ++open;
        return 7;
    }
    morvelux::RegKey openKey(morvelux::RegKey, std::string_view, std::uint32_t) override { return 0; }
    std::optional<morvelux::RegValue> queryValue(morvelux::RegKey, std::string_view) override { return {}; }
    void closeKey(morvelux::RegKey) override { --open; }
};

struct AboutDialogTest : ::testing::Test {
    FakeBackend platform;
    FakeDesktop desktop;
    CountingRegistry registry;
    tk::Application app{platform, tk::Runner::none()};
    TScrnSaveSetupDlg& makeDialog() { return app.make<TScrnSaveSetupDlg>(registry, desktop); }
    AboutDialogTest() {
        platform.widths["You can get the latest version from"] = 182;
        platform.screenBounds = {0, 0, 1024, 768};
    }
};

TEST(DialogWidth, IsTheLabelWidthTimesOnePointSevenRoundedHalfToEven) {
    EXPECT_EQ(morvelux::dialogWidthFor(182), 309);  // 309.4
    EXPECT_EQ(morvelux::dialogWidthFor(185), 314);  // 314.5: to even
    EXPECT_EQ(morvelux::dialogWidthFor(175), 298);  // 297.5: to even
    EXPECT_EQ(morvelux::dialogWidthFor(170), 289);  // exact
    EXPECT_EQ(morvelux::dialogWidthFor(181), 308);  // 307.7
    EXPECT_EQ(morvelux::dialogWidthFor(0), 0);
}

TEST_F(AboutDialogTest, DesignedLayout) {
    TScrnSaveSetupDlg& dlg = makeDialog();
    EXPECT_EQ(dlg.caption(), "About");
    EXPECT_EQ(dlg.clientWidth(), 292);
    EXPECT_EQ(dlg.clientHeight(), 186);
    EXPECT_EQ(dlg.Label_Title.bounds(), (tk::Bounds{47, 10, 189, 19}));
    EXPECT_TRUE(dlg.Label_Title.font.bold);
    EXPECT_EQ(dlg.Label_Title.font.height, 19);
    EXPECT_EQ(dlg.Label_Version.caption(), "Version 0.5.1  (March 18, 2004)");
    EXPECT_EQ(dlg.Label_Copyright.bounds(), (tk::Bounds{0, 60, 292, 12}));
    EXPECT_EQ(dlg.Label5.width(), 182) << "sized to its text as measured";
    EXPECT_EQ(dlg.OKBtn.modalResult, tk::ModalResult::Ok);
    EXPECT_TRUE(dlg.OKBtn.isDefault);
    EXPECT_EQ(dlg.font.charset, 128);
}

TEST_F(AboutDialogTest, CreationSizesTheDialogFromTheMeasuredLabelAndCentresOk) {
    TScrnSaveSetupDlg& dlg = makeDialog();
    dlg.createHandle();
    EXPECT_EQ(dlg.width(), 309);
    EXPECT_EQ(dlg.height(), 190);
    const int client = dlg.clientWidth();
    EXPECT_EQ(client, 303);
    EXPECT_EQ(dlg.OKBtn.left(), 115);  // (303 - 73) / 2
    EXPECT_EQ(dlg.Label_Copyright.bounds(), (tk::Bounds{0, 60, 303, 12})) << "stretched across the new width";
    EXPECT_EQ(dlg.Edit_URL.bounds(), (tk::Bounds{93, 102, 153, 18})) << "moved right with the edge";
    EXPECT_EQ(dlg.Label_Title.left(), 47) << "anchored left: stays";
}

TEST_F(AboutDialogTest, OtherMeasuresGiveOtherWidthsAndTheButtonStaysCentred) {
    platform.widths["You can get the latest version from"] = 205;  // 348.5: to 348
    platform.dialogFrame = {4, 30, 4, 4};
    TScrnSaveSetupDlg& dlg = makeDialog();
    dlg.createHandle();
    EXPECT_EQ(dlg.width(), 348);
    EXPECT_EQ(dlg.clientWidth(), 340);
    EXPECT_EQ(dlg.OKBtn.left(), 134);  // 267 / 2 = 133.5: to even
    EXPECT_EQ(dlg.Edit_URL.left(), 82 + 340 - 292);
}

TEST_F(AboutDialogTest, AtTwiceTheDpiEverythingIsTwiceAsLargeAndTheWidthRuleHolds) {
    platform.dpi = 192;
    platform.widths["You can get the latest version from"] = 371;  // text does not grow exactly twofold
    TScrnSaveSetupDlg& dlg = makeDialog();
    dlg.createHandle();
    EXPECT_EQ(dlg.font.height, 24);
    EXPECT_EQ(dlg.Label_Title.font.height, 38);
    EXPECT_EQ(dlg.Label_Title.bounds(), (tk::Bounds{94, 20, 378, 38}));
    EXPECT_EQ(dlg.Label5.width(), 371) << "measured again in its larger font";
    EXPECT_EQ(dlg.width(), morvelux::dialogWidthFor(371));
    EXPECT_EQ(dlg.height(), 380);
    EXPECT_EQ(dlg.OKBtn.bounds().width, 146);
    EXPECT_EQ(dlg.OKBtn.left(), morvelux::centred(dlg.clientWidth(), 146));
    EXPECT_EQ(dlg.Edit_URL.left(), 164 + dlg.clientWidth() - 584) << "still anchored to the right edge";
}

TEST_F(AboutDialogTest, MovedToAMonitorOfAnotherDpiItScalesAgainByTheSameRules) {
    TScrnSaveSetupDlg& dlg = makeDialog();
    dlg.createHandle();
    platform.dpi = 144;
    platform.widths["You can get the latest version from"] = 275;
    dlg.doDisplayChange();
    EXPECT_EQ(dlg.Label_Title.font.height, 29);  // 28.5 away from zero
    EXPECT_EQ(dlg.Label5.width(), 275);
    EXPECT_EQ(dlg.width(), morvelux::dialogWidthFor(275));
    EXPECT_EQ(dlg.height(), 285);
    EXPECT_EQ(dlg.OKBtn.left(), morvelux::centred(dlg.clientWidth(), dlg.OKBtn.width()));
}

TEST_F(AboutDialogTest, TheDpiAndPlaceTheSystemNamesWinOverTheMonitorsAndHold) {
    TScrnSaveSetupDlg& dlg = makeDialog();
    dlg.createHandle();
    platform.widths["You can get the latest version from"] = 275;
    // Most of the dialog is still on the 96 DPI monitor the monitors say it is on.
    dlg.doDpiChange(144, {1200, 400, 463, 285});
    EXPECT_EQ(dlg.Label_Title.font.height, 29);
    EXPECT_EQ(dlg.left(), 1200);
    EXPECT_EQ(dlg.top(), 400);
    EXPECT_EQ(dlg.width(), morvelux::dialogWidthFor(275)) << "the width rule still holds";
    EXPECT_EQ(dlg.height(), 285);
    dlg.doDisplayChange();  // a settings change after it
    EXPECT_EQ(dlg.Label_Title.font.height, 29) << "not flipped back to the monitors' DPI";
    EXPECT_EQ(dlg.width(), morvelux::dialogWidthFor(275));
}

TEST_F(AboutDialogTest, ShownScreenCentred) {
    TScrnSaveSetupDlg& dlg = makeDialog();
    platform.duringModal = [&](tk::Form&) {
        EXPECT_EQ(dlg.bounds(), (tk::Bounds{358, 289, 309, 190}));
        dlg.OKBtn.click();
    };
    EXPECT_EQ(dlg.showModal(), tk::ModalResult::Ok);
}

TEST_F(AboutDialogTest, TheForegroundWindowOwnsTheDialogAndIsDisabledUntilItIsDestroyed) {
    {
        TScrnSaveSetupDlg& dlg = makeDialog();
        EXPECT_FALSE(desktop.disabled(0x5150));
        dlg.createHandle();
        EXPECT_EQ(platform.realised.at(0).parentWindow, 0x5150);
        EXPECT_EQ(dlg.ownerWindow(), 0x5150);
        EXPECT_TRUE(desktop.disabled(0x5150));
        platform.duringModal = [&](tk::Form&) { dlg.OKBtn.click(); };
        dlg.showModal();
        EXPECT_TRUE(desktop.disabled(0x5150)) << "still disabled after the dialog is hidden";
        app.release(dlg);
    }
    EXPECT_TRUE(desktop.enabled.at(0x5150));
}

TEST_F(AboutDialogTest, AWindowTheSystemRefusesLeavesTheForegroundWindowEnabled) {
    platform.refuseWindows = true;
    TScrnSaveSetupDlg& dlg = makeDialog();
    EXPECT_EQ(dlg.showModal(), tk::ModalResult::Cancel);
    EXPECT_FALSE(desktop.disabled(0x5150));
    app.release(dlg);
    EXPECT_FALSE(desktop.disabled(0x5150));
    EXPECT_EQ(registry.open, 0);
}

TEST_F(AboutDialogTest, HoldsTheSettingsKeyWhileItExists) {
    {
        TScrnSaveSetupDlg& dlg = makeDialog();
        EXPECT_EQ(registry.open, 0);
        dlg.createHandle();
        ASSERT_EQ(registry.created, (std::vector<std::string>{"Software\\Valdrenn\\"}));
        EXPECT_EQ(registry.open, 1);
        EXPECT_TRUE(dlg.settingsOpen());
        app.release(dlg);
    }
    EXPECT_EQ(registry.open, 0);
}

TEST_F(AboutDialogTest, CloseCommandCancelsAndEscHasNoButtonToPress) {
    TScrnSaveSetupDlg& dlg = makeDialog();
    for (tk::Control* c : dlg.children()) {
        if (auto* b = dynamic_cast<tk::Button*>(c)) {
            EXPECT_FALSE(b->isCancel);
        }
    }
    platform.duringModal = [](tk::Form& f) { f.close(); };
    EXPECT_EQ(dlg.showModal(), tk::ModalResult::Cancel);
}

}  // namespace
