// The preview on real windows (under Wine in the cross build): the saver's
// window inside a host's preview area, and the pixels it leaves there. The
// host lives in this process: Wine shows nothing of a child whose top-level
// window belongs to another process.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "animation/images/pictures.h"
#include "tests/window/win32_saver_test.h"

namespace morvelux {
namespace {

constexpr int kAreaWidth = 152;
constexpr int kAreaHeight = 112;
constexpr COLORREF kAreaColour = RGB(0xFF, 0x00, 0xFF);  // left showing where the saver drew nothing

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        const HBRUSH brush = CreateSolidBrush(kAreaColour);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeHost() {
    WNDCLASSW hostClass{};
    hostClass.lpfnWndProc = hostProc;
    hostClass.hInstance = GetModuleHandleW(nullptr);
    hostClass.lpszClassName = L"MorveluxTestPreviewArea";
    RegisterClassW(&hostClass);
    const HWND host = CreateWindowExW(WS_EX_TOOLWINDOW, hostClass.lpszClassName, L"", WS_POPUP, 40, 30, kAreaWidth,
                                      kAreaHeight, nullptr, nullptr, hostClass.hInstance, nullptr);
    // Not activated: taking an active window away costs Wine two seconds here.
    if (host) ShowWindow(host, SW_SHOWNOACTIVATE);
    return host;
}

void pumpFor(tk::Application& app, DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        app.processMessages();
        Sleep(10);
    }
}

// The host's client area as the screen shows it, one 0x00RRGGBB word a pixel.
std::vector<std::uint32_t> grab(HWND host) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kAreaWidth;
    info.bmiHeader.biHeight = -kAreaHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<std::uint32_t> pixels;
    if (!section) return pixels;
    const HDC memory = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(memory, section);
    POINT origin{0, 0};
    ClientToScreen(host, &origin);
    const HDC screen = GetDC(nullptr);
    BitBlt(memory, 0, 0, kAreaWidth, kAreaHeight, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    const auto* words = static_cast<const std::uint32_t*>(bits);
    pixels.assign(words, words + kAreaWidth * kAreaHeight);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(section);
    return pixels;
}

std::uint32_t samplePixel(const Dib& sample, int x, int y) {
    const std::uint8_t index = sample.rows[static_cast<std::size_t>(y) * sample.stride() + static_cast<std::size_t>(x)];
    const Rgb c = sample.palette.at(index);
    return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

class PreviewWindowTest : public testing::Win32SaverTest {
protected:
    HWND host = nullptr;

    void SetUp() override {
        host = makeHost();
        if (!host) GTEST_SKIP() << "no windows without a display";
        form = &app.make<TForm1>(saverPlatform, pictures,
                                 static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(host)));
        form->createHandle();
        pumpFor(app, 400);
    }

    void TearDown() override {
        Win32SaverTest::TearDown();
        if (host) DestroyWindow(host);
    }

    HWND saverWindow() const { return tk::win32::handleOf(*form); }
};

TEST_F(PreviewWindowTest, TheWindowIsADisabledChildFillingTheArea) {
    const HWND window = saverWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), host);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), DWORD{WS_CHILD | WS_VISIBLE | WS_DISABLED});
    EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), ULONG_PTR{CS_PARENTDC});
    RECT inHost{};
    GetWindowRect(window, &inHost);
    MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&inHost), 2);
    EXPECT_EQ(inHost.left, 0);
    EXPECT_EQ(inHost.top, 0);
    EXPECT_EQ(inHost.right, kAreaWidth);
    EXPECT_EQ(inHost.bottom, kAreaHeight);
}

TEST_F(PreviewWindowTest, TheAreaShowsTheMiddleOfTheSamplePicture) {
    const Dib& sample = pictures.Image_Sample;
    ASSERT_EQ(sample.width, 210);
    ASSERT_EQ(sample.height, 156);
    const int dx = (sample.width - kAreaWidth) / 2;    // 29
    const int dy = (sample.height - kAreaHeight) / 2;  // 22
    const std::vector<std::uint32_t> seen = grab(host);
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kAreaWidth * kAreaHeight));
    int differing = 0;
    char first[96] = "";
    for (int y = 0; y < kAreaHeight; ++y) {
        for (int x = 0; x < kAreaWidth; ++x) {
            const std::uint32_t expected = samplePixel(sample, x + dx, y + dy);
            const std::uint32_t actual = seen[static_cast<std::size_t>(y * kAreaWidth + x)] & 0xFFFFFFu;
            if (expected == actual) continue;
            if (differing++ == 0)
                std::snprintf(first, sizeof first, "(%d, %d): expected %06X, got %06X", x, y,
                              static_cast<unsigned>(expected), static_cast<unsigned>(actual));
        }
    }
    EXPECT_EQ(differing, 0) << "first difference at " << first;
}

TEST_F(PreviewWindowTest, ACloseRequestEndsThePreviewLoop) {
    ASSERT_FALSE(form->Closed());
    PostMessageW(saverWindow(), WM_CLOSE, 0, 0);
    pumpFor(app, 100);
    EXPECT_TRUE(form->Closed());
    EXPECT_FALSE(IsWindowVisible(saverWindow()));
    EXPECT_FALSE(app.OnIdle) << "the preview never animates";
}

}  // namespace
}  // namespace morvelux
