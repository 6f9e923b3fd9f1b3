#pragma once
// A saver window on the real Win32 platform, in this process.
#include <gtest/gtest.h>
#include <windows.h>

#include "toolkit/win32/platform.h"
#include "window/saver_platform_win32.h"
#include "window/unit1.h"

namespace morvelux::testing {

class Win32SaverTest : public ::testing::Test {
protected:
    SaverPictures pictures = loadSaverPictures();
    tk::win32::Platform platform{GetModuleHandleA(nullptr)};
    Win32SaverPlatform saverPlatform{platform.runner()};
    tk::Application app{platform.backend(), platform.runner()};
    TForm1* form = nullptr;

    void TearDown() override {
        if (form) app.release(*form);
    }
};

}  // namespace morvelux::testing
