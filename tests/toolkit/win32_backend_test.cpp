// The Win32 backend on real windows (under Wine in the cross build).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "about/sssetdlg.h"
#include "settings/registry_memory.h"
#include "toolkit/win32/platform.h"

namespace tk::win32 {
namespace {

struct Win32Test : ::testing::Test {
    morvelux::MemoryRegistry registry;  // outlives the forms, which hold its key open
    Platform platform{GetModuleHandleA(nullptr)};
    Application app{platform.backend(), platform.runner()};

    void SetUp() override {
        const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (!probe) GTEST_SKIP() << "no windows without a display";
        DestroyWindow(probe);
        ASSERT_TRUE(platform.ready());
    }
    ~Win32Test() override {
        // Leave no message of one test to the next.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
};

RECT windowRect(const Control& c) {
    RECT r{};
    GetWindowRect(handleOf(c), &r);
    return r;
}

RECT clientRect(const Control& c) {
    RECT r{};
    GetClientRect(handleOf(c), &r);
    return r;
}

TEST_F(Win32Test, ABorderlessFormHasTheDefaultStylesAndTheApplicationWindowAsOwner) {
    Form& form = app.make<Form>("F");
    form.setBounds({0, 0, 200, 100});
    bool visibleInCreate = true;
    form.OnCreate = [&] { visibleInCreate = IsWindowVisible(handleOf(form)) != 0; };
    form.createHandle();
    const HWND hwnd = handleOf(form);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(visibleInCreate) << "OnCreate runs before the form is shown";
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & 0xFFFF0000u, 0x86000000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)) & WS_EX_CONTROLPARENT, DWORD{WS_EX_CONTROLPARENT});
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), platform.applicationWindow());
    const RECT r = windowRect(form);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right - r.left, 200);
    form.doDestroy();
    EXPECT_FALSE(IsWindow(hwnd));
}

struct ChildForm : Form {
    HWND host;
    ChildForm(const FormKey& key, HWND h) : Form(key, "Child"), host(h) {}
    void createParams(CreateParams& p) override {
        Form::createParams(p);
        p.parentWindow = reinterpret_cast<std::intptr_t>(host);
        p.style = 0x58000000;
        p.classStyle = 0x80;
    }
};

TEST_F(Win32Test, CreateParamsCanMakeAChildOfAForeignWindowWithItsOwnClassStyle) {
    Form& host = app.make<Form>("Host");
    host.setBounds({0, 0, 300, 200});
    host.createHandle();
    ChildForm& child = app.make<ChildForm>(handleOf(host));
    child.setBounds({0, 0, 152, 112});
    child.createHandle();
    const HWND hwnd = handleOf(child);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetParent(hwnd), handleOf(host));
    EXPECT_EQ(GetClassLongPtrW(hwnd, GCL_STYLE), 0x80u);
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_DISABLED);
    EXPECT_TRUE(child.visible());
    Form& plain = app.make<Form>("Plain");
    plain.createHandle();
    EXPECT_NE(GetClassLongPtrW(handleOf(plain), GCL_STYLE), 0x80u) << "a class per class style";
}

TEST_F(Win32Test, ADialogFrameMapsTheClientSize) {
    Form& dialog = app.make<Form>("D");
    dialog.borderStyle = BorderStyle::Dialog;
    dialog.systemMenu = true;
    dialog.setClientSize(292, 186);
    dialog.createHandle();
    const LONG_PTR style = GetWindowLongPtrW(handleOf(dialog), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    const RECT c = clientRect(dialog);
    EXPECT_EQ(c.right, 292);
    EXPECT_EQ(c.bottom, 186);
    const RECT w = windowRect(dialog);
    EXPECT_EQ(w.right - w.left, dialog.width());
}

using AboutTest = Win32Test;
using morvelux::TScrnSaveSetupDlg;

TEST_F(AboutTest, TheAboutDialogIsSizedFromItsMeasuredLabel) {
    auto& dlg = app.make<TScrnSaveSetupDlg>(registry, morvelux::systemDesktopWindows());
    const int label = dlg.Label5.width();
    RecordProperty("Label5", label);
    dlg.createHandle();
    dlg.show();
    const RECT w = windowRect(dlg);
    EXPECT_EQ(w.right - w.left, morvelux::dialogWidthFor(label));
    EXPECT_EQ(w.bottom - w.top, 190);
    const RECT c = clientRect(dlg);
    const RECT ok = windowRect(dlg.OKBtn);
    POINT okLeft{ok.left, ok.top};
    ScreenToClient(handleOf(dlg), &okLeft);
    const int rightGap = c.right - (okLeft.x + 73);
    EXPECT_LE(std::abs(okLeft.x - rightGap), 1) << "OK centred in the client area";
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_LE(std::abs((w.left - screen.left) - (screen.right - w.right)), 1) << "centred on the screen";
    EXPECT_TRUE(GetWindowLongPtrW(handleOf(dlg.Edit_URL), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongPtrW(handleOf(dlg.OKBtn), GWL_STYLE) & BS_DEFPUSHBUTTON);
    RecordProperty("Window", std::to_string(w.right - w.left) + "x" + std::to_string(w.bottom - w.top));
}

// Posts keys to whichever window has the focus once the modal loop runs.
void postKeyToFocus(HWND dialog, WPARAM key) {
    const HWND target = GetFocus() ? GetFocus() : dialog;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

TEST_F(AboutTest, EnterPressesOkAndEscDoesNothing) {
    auto& dlg = app.make<TScrnSaveSetupDlg>(registry, morvelux::systemDesktopWindows());
    dlg.createHandle();
    dlg.OnActivate = [&] {
        postKeyToFocus(handleOf(dlg), VK_ESCAPE);  // no cancel button: no effect
        postKeyToFocus(handleOf(dlg), VK_RETURN);
        dlg.OnActivate = nullptr;
    };
    SetForegroundWindow(handleOf(dlg));
    EXPECT_EQ(dlg.showModal(), ModalResult::Ok);
    EXPECT_FALSE(IsWindowVisible(handleOf(dlg)));
}

TEST_F(AboutTest, TheCloseCommandCancels) {
    auto& dlg = app.make<TScrnSaveSetupDlg>(registry, morvelux::systemDesktopWindows());
    dlg.createHandle();
    PostMessageW(handleOf(dlg), WM_CLOSE, 0, 0);
    EXPECT_EQ(dlg.showModal(), ModalResult::Cancel);
    EXPECT_TRUE(IsWindow(handleOf(dlg))) << "closed, not destroyed";
}

TEST_F(Win32Test, KeyPreviewShowsTheFormTheKeysOfItsControlsFirst) {
    Form& form = app.make<Form>("F");
    form.keyPreview = true;
    form.setBounds({0, 0, 200, 100});
    Button button{&form, "B"};
    button.setBounds({0, 0, 50, 20});
    std::vector<std::uint16_t> keys;
    form.OnKeyDown = [&](std::uint16_t& key, Shift) { keys.push_back(key); };
    form.createHandle();
    PostMessageW(handleOf(button), WM_KEYDOWN, 'Q', 1);
    PostMessageW(handleOf(form), WM_KEYDOWN, VK_ESCAPE, 1);
    app.processMessages();
    EXPECT_EQ(keys, (std::vector<std::uint16_t>{'Q', VK_ESCAPE}));
}

TEST_F(Win32Test, MouseMessagesGoToTheWindowlessControlUnderTheMouse) {
    Form& form = app.make<Form>("F");
    form.setBounds({0, 0, 400, 300});
    Panel panel{&form, "P"};
    panel.setBounds({100, 50, 200, 200});
    Image image{&panel, "I"};
    image.setBounds({-30, 0, 300, 200});
    std::vector<std::string> seen;
    image.OnMouseDown = [&](MouseButton, Shift, int x, int y) {
        seen.push_back("image down " + std::to_string(x) + "," + std::to_string(y));
    };
    image.OnDblClick = [&] { seen.push_back("image double"); };
    form.OnMouseMove = [&](Shift, int x, int y) {
        seen.push_back("form move " + std::to_string(x) + "," + std::to_string(y));
    };
    form.createHandle();
    PostMessageW(handleOf(panel), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    PostMessageW(handleOf(panel), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 20));
    PostMessageW(handleOf(panel), WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), MAKELPARAM(10, 20));
    PostMessageW(handleOf(form), WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
    app.processMessages();
    EXPECT_EQ(seen, (std::vector<std::string>{"image down 40,20", "image double", "image down 40,20",
                                              "image down 40,20", "form move 5,6"}));
}

TEST_F(Win32Test, SystemCommandsAHandlerTakesAreAnswered) {
    Form& form = app.make<Form>("F");
    form.OnSysCommand = [](std::uintptr_t command, std::intptr_t& result) {
        if (command != 0xF140) return false;
        result = 1;
        return true;
    };
    form.createHandle();
    EXPECT_EQ(SendMessageW(handleOf(form), WM_SYSCOMMAND, 0xF140, 0), 1);
}

TEST_F(Win32Test, ClosingTheMainFormEndsTheLoop) {
    Form& main = app.make<Form>("Main");
    main.setBounds({0, 0, 100, 100});
    app.mainForm = &main;
    main.createHandle();
    PostMessageW(handleOf(main), WM_CLOSE, 0, 0);
    app.run();
    EXPECT_TRUE(app.terminated());
}

TEST_F(Win32Test, AnIdleHandlerThatWantsMoreSleepsAsToldInsteadOfSpinning) {
    app.createForm<Form>("Main");
    int calls = 0;
    const DWORD start = GetTickCount();
    app.OnIdle = [&]() -> IdleWait {
        ++calls;
        if (GetTickCount() - start >= 200) app.terminate();
        return std::chrono::milliseconds(1);
    };
    app.run();
    RecordProperty("IdleCallsIn200ms", calls);
    EXPECT_GT(calls, 20);
    EXPECT_LT(calls, 2000) << "a spinning loop would call it far more often";
}

// A picture's changes are drawn, clipped to where it changed, once the loop
// looks for work again, with no paint asked for; unless its window paints
// anyway: its form has an OnPaint, or another control there awaits a paint.
TEST_F(Win32Test, ImagesAreDrawnFromTheirBitsAtTheirPlace) {
    struct Case {
        const char* host;
        bool inPanel, onPaint, labelChanged, drawnAtOnce;
    };
    for (const Case& c : {Case{"panel", true, false, false, true}, Case{"form", false, false, false, true},
                          Case{"form with OnPaint", false, true, false, false},
                          Case{"window awaiting a paint", true, false, true, false}}) {
        SCOPED_TRACE(c.host);
        Form& form = app.make<Form>("F");
        {
            form.colour = Colour::White;
            form.setBounds({0, 0, 64, 32});
            if (c.onPaint) form.OnPaint = [] {};
            Panel panel{&form, "P"};
            panel.colour = Colour::White;
            panel.setBounds({0, 0, 64, 32});
            panel.setVisible(c.inPanel);
            Image image{c.inPanel ? static_cast<Control*>(&panel) : &form, "I"};
            image.setBounds({8, 4, 16, 8});
            Label label{image.parent(), "L"};
            label.setBounds({40, 20, 10, 10});
            Bitmap1 bitmap(16, 8, {morvelux::kBlack, morvelux::kWhite});
            bitmap.setPixel(0, 0, 1);
            image.setBitmap(&bitmap);
            form.createHandle();
            form.show();
            const HWND host = handleOf(*image.parent());
            UpdateWindow(host);
            const HDC dc = GetDC(host);  // the panel lies at the form's origin
            EXPECT_EQ(GetPixel(dc, 8, 4), RGB(255, 255, 255));
            EXPECT_EQ(GetPixel(dc, 9, 4), RGB(0, 0, 0));
            EXPECT_EQ(GetPixel(dc, 23, 11), RGB(0, 0, 0));
            EXPECT_EQ(GetPixel(dc, 24, 11), RGB(255, 255, 255)) << "background beside the picture";
            SetPixel(dc, 62, 1, RGB(0, 0, 0));  // a mark only a paint beyond the change would wipe

            if (c.labelChanged) label.setCaption("x");
            image.setLeft(20);
            EXPECT_EQ(GetUpdateRect(host, nullptr, FALSE) != 0, !c.drawnAtOnce) << "a paint due";
            app.processMessages();
            EXPECT_EQ(GetPixel(dc, 9, 4), RGB(255, 255, 255)) << "where the picture was is background again";
            EXPECT_EQ(GetPixel(dc, 20, 4), RGB(255, 255, 255));
            EXPECT_EQ(GetPixel(dc, 21, 4), RGB(0, 0, 0));
            EXPECT_EQ(GetPixel(dc, 62, 1), RGB(0, 0, 0)) << "drawn only where it changed";
            bitmap.setPixel(1, 0, 1);
            image.setBitmap(&bitmap);  // the same bitmap with new contents
            app.processMessages();
            EXPECT_EQ(GetPixel(dc, 21, 4), RGB(255, 255, 255));

            // Several changes between two looks for work, each beyond the last.
            image.setBitmap(&bitmap);
            image.setLeft(21);
            image.setLeft(40);
            app.processMessages();
            EXPECT_EQ(GetPixel(dc, 22, 4), RGB(255, 255, 255)) << "where the picture was";
            EXPECT_EQ(GetPixel(dc, 42, 4), RGB(0, 0, 0)) << "where it went";
            EXPECT_FALSE(GetUpdateRect(host, nullptr, FALSE)) << "nothing left for a paint";
            ReleaseDC(host, dc);
        }
        app.release(form);
    }
}

TEST_F(Win32Test, AControlsCursorShowsOverIt) {
    Form& form = app.make<Form>("F");
    form.setBounds({0, 0, 200, 100});
    Image image{&form, "I"};
    image.setBounds({50, 0, 100, 100});
    image.cursor = 32515;  // IDC_CROSS
    form.createHandle();
    form.show();
    const HWND hwnd = handleOf(form);
    SetCursorPos(60, 50);
    EXPECT_TRUE(SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32515)));
    SetCursorPos(10, 50);
    EXPECT_FALSE(SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
}

TEST_F(AboutTest, TheWindowInFrontOwnsTheDialogAndIsDisabledWhileItExists) {
    Form& front = app.make<Form>("Front");
    front.setBounds({0, 0, 100, 100});
    front.show();
    SetForegroundWindow(handleOf(front));
    ASSERT_EQ(GetForegroundWindow(), handleOf(front));
    auto& dlg = app.make<TScrnSaveSetupDlg>(registry, morvelux::systemDesktopWindows());
    dlg.createHandle();
    EXPECT_EQ(GetWindow(handleOf(dlg), GW_OWNER), handleOf(front));
    EXPECT_FALSE(IsWindowEnabled(handleOf(front)));
    app.release(dlg);
    EXPECT_TRUE(IsWindowEnabled(handleOf(front)));
}

}  // namespace
}  // namespace tk::win32
