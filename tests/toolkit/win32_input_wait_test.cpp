// How the message loop sleeps, on systems with and without the newer wait.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "toolkit/win32/win32_runner.h"

namespace tk::win32 {
namespace {

struct Call {
    bool ex;
    DWORD mask;
    DWORD flags;
};

std::vector<Call> calls;
DWORD refusedMask = 0;  // a wake mask with any of these bits fails
bool refuseEx = false;

DWORD WINAPI fakeWaitEx(DWORD, const HANDLE*, DWORD, DWORD mask, DWORD flags) {
    calls.push_back({true, mask, flags});
    return (mask & refusedMask) || refuseEx ? WAIT_FAILED : WAIT_TIMEOUT;
}

DWORD WINAPI fakeWait(DWORD, const HANDLE*, BOOL, DWORD, DWORD mask) {
    calls.push_back({false, mask, 0});
    return (mask & refusedMask) ? WAIT_FAILED : WAIT_TIMEOUT;
}

struct InputWaitTest : ::testing::Test {
    void SetUp() override {
        calls.clear();
        refusedMask = 0;
        refuseEx = false;
    }
};

TEST_F(InputWaitTest, AskingForAllInputAndInputAlreadyWaitingWhereTheSystemTakesIt) {
    InputWait wait(fakeWaitEx, fakeWait);
    EXPECT_EQ(wait(5), DWORD{WAIT_TIMEOUT});
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].ex);
    EXPECT_EQ(calls[0].mask, DWORD{QS_ALLINPUT});
    EXPECT_EQ(calls[0].flags, DWORD{MWMO_INPUTAVAILABLE});
}

TEST_F(InputWaitTest, ASystemThatRefusesTheNewerInputKindsGetsTheClassicMaskFromThenOn) {
    refusedMask = QS_RAWINPUT;
    InputWait wait(fakeWaitEx, fakeWait);
    EXPECT_EQ(wait(5), DWORD{WAIT_TIMEOUT});
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].mask & QS_RAWINPUT, 0u);
    EXPECT_EQ(calls[1].mask & (QS_KEY | QS_MOUSE | QS_POSTMESSAGE | QS_SENDMESSAGE),
              DWORD{QS_KEY | QS_MOUSE | QS_POSTMESSAGE | QS_SENDMESSAGE})
        << "keys, the mouse and messages still end the wait";
    EXPECT_TRUE(calls[1].ex);
    calls.clear();
    wait(5);
    EXPECT_EQ(calls.size(), 1u) << "the refusal is remembered";
}

TEST_F(InputWaitTest, WithoutAWorkingExFormTheOlderWaitServes) {
    InputWait missing(nullptr, fakeWait);
    EXPECT_EQ(missing(5), DWORD{WAIT_TIMEOUT});
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].ex);

    refuseEx = true;  // present, but it fails whatever the mask
    InputWait refusing(fakeWaitEx, fakeWait);
    EXPECT_EQ(refusing(5), DWORD{WAIT_TIMEOUT});
    EXPECT_FALSE(calls.back().ex);
    EXPECT_FALSE(refusing.usesWaitEx());
}

TEST_F(InputWaitTest, AWaitThatAlwaysFailsSleepsItsTimeAndReportsItInsteadOfRetrying) {
    refuseEx = true;
    refusedMask = ~DWORD{0};
    InputWait wait(fakeWaitEx, fakeWait);
    for (int round = 0; round < 2; ++round) {
        const DWORD start = GetTickCount();
        EXPECT_EQ(wait(100), DWORD{WAIT_FAILED});
        EXPECT_GE(GetTickCount() - start, 80u) << "round " << round << " returned at once: the loop would spin";
    }
    EXPECT_LE(calls.size(), 5u);
}

TEST(InputWaitOnThisSystem, FindsTheExFormWhereUser32HasIt) {
    EXPECT_TRUE(InputWait::forThisSystem().usesWaitEx());
}

TEST(InputWaitOnThisSystem, TheOlderWaitEndsOnAPostedMessageAndOtherwiseOnTime) {
    InputWait wait(nullptr, MsgWaitForMultipleObjects);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    DWORD start = GetTickCount();
    EXPECT_EQ(wait(100), DWORD{WAIT_TIMEOUT});
    EXPECT_GE(GetTickCount() - start, 80u);

    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    start = GetTickCount();
    EXPECT_EQ(wait(2000), DWORD{WAIT_OBJECT_0});
    EXPECT_LT(GetTickCount() - start, 1000u);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace
}  // namespace tk::win32
