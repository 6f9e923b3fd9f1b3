// The system's notices that nobody can see the saver, delivered to the real
// full-screen window in this process as Windows delivers them (the display's
// state comes as a pointer to the setting, which only means something here).
#include <cstring>
#include <vector>

#include "tests/window/win32_saver_test.h"

namespace morvelux {
namespace {

constexpr GUID kConsoleDisplayState{0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
constexpr GUID kMonitorPowerOn{0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};
constexpr GUID kPowerSource{0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}};

struct Notice {
    UINT message;
    WPARAM code;
    const GUID* setting;  // for a power-setting change
    DWORD length;
    DWORD value;
    bool heldAfter;
};

LRESULT deliver(HWND window, const Notice& n) {
    // POWERBROADCAST_SETTING: the GUID, the data's length, the data.
    unsigned char setting[sizeof(GUID) + 2 * sizeof(DWORD)] = {};
    if (n.setting) {
        std::memcpy(setting, n.setting, sizeof(GUID));
        std::memcpy(setting + sizeof(GUID), &n.length, sizeof(DWORD));
        std::memcpy(setting + sizeof(GUID) + sizeof(DWORD), &n.value, sizeof(DWORD));
    }
    return SendMessageA(window, n.message, n.code, n.setting ? reinterpret_cast<LPARAM>(setting) : 1);
}

class NotificationsTest : public testing::Win32SaverTest {
protected:
    void SetUp() override {
        form = &app.make<TForm1>(saverPlatform, pictures, 0);
        if (!form->createHandle()) GTEST_SKIP() << "no windows without a display";
        form->OnActivate();
        app.processMessages();
    }
};

TEST_F(NotificationsTest, EachNoticeHoldsOrReleasesTheSaverWhichStaysOpen) {
    const DWORD four = sizeof(DWORD);
    const std::vector<Notice> notices{
        {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, &kConsoleDisplayState, four, 0, true},
        {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, &kConsoleDisplayState, four, 2, false},  // dimmed
        {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, &kMonitorPowerOn, four, 0, true},
        {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, &kPowerSource, four, 1, true},  // another setting
        {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, &kConsoleDisplayState, 0, 1, true},  // no data
        {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, &kMonitorPowerOn, four, 1, false},
        {WM_POWERBROADCAST, PBT_APMSUSPEND, nullptr, 0, 0, true},
        {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, nullptr, 0, 0, false},
        {WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, nullptr, 0, 0, true},
        {WM_WTSSESSION_CHANGE, WTS_SESSION_LOGON, nullptr, 0, 0, true},
        {WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, nullptr, 0, 0, false},
        {WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT, nullptr, 0, 0, true},
        {WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT, nullptr, 0, 0, false},
        {WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, nullptr, 0, 0, true},
        {WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, nullptr, 0, 0, false},
    };
    const HWND window = tk::win32::handleOf(*form);
    for (std::size_t i = 0; i < notices.size(); ++i) {
        deliver(window, notices[i]);
        EXPECT_EQ(form->held(), notices[i].heldAfter) << "notice " << i;
        EXPECT_EQ(app.idle().has_value(), !notices[i].heldAfter) << "notice " << i;
    }
    EXPECT_FALSE(form->Closed());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(SendMessageA(window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0), TRUE) << "sleep is never refused";
}

}  // namespace
}  // namespace morvelux
