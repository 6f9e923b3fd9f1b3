// The least a Win32 program can do to show what the saver shows: a black
// top-most window over the primary screen and two 1024 x 768 one-bit frames,
// made once, put in the middle in turn every 60 ms with one
// SetDIBitsToDevice each. What it costs is the floor the saver is measured
// against. Ends on Esc or a close.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr DWORD kFrameMs = 60;
constexpr int kStride = kWidth / 8;

struct OneBitInfo {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[2]{{0, 0, 0, 0}, {255, 255, 255, 0}};
};

// Bands that move a pixel from one frame to the other, so each put changes the picture.
std::vector<std::uint8_t> frame(int shift) {
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(kStride) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (((x + y / 3 + shift) / 5) % 2 != 0)
                rows[static_cast<std::size_t>(y) * kStride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return rows;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "MorveluxPresenter";
    if (!RegisterClassA(&windowClass)) return 1;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const HWND window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "presenter", WS_POPUP | WS_VISIBLE,
                                        0, 0, screenWidth, screenHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    SetForegroundWindow(window);

    const std::vector<std::uint8_t> frames[2] = {frame(0), frame(1)};
    OneBitInfo info;
    info.header.biSize = sizeof info.header;
    info.header.biWidth = kWidth;
    info.header.biHeight = -kHeight;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biClrUsed = 2;
    const int left = (screenWidth - kWidth) / 2, top = (screenHeight - kHeight) / 2;

    timeBeginPeriod(1);
    DWORD due = timeGetTime();
    for (unsigned shown = 0;; ++shown) {
        const HDC dc = GetDC(window);
        SetDIBitsToDevice(dc, left, top, kWidth, kHeight, 0, 0, 0, kHeight, frames[shown % 2].data(),
                          reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
        ReleaseDC(window, dc);
        due += kFrameMs;
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    timeEndPeriod(1);
                    return 0;
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            const DWORD now = timeGetTime();
            if (static_cast<int>(due - now) <= 0) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, due - now, QS_ALLINPUT);
        }
    }
}
