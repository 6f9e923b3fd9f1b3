// Reads the setup programs' version resources back through the version API,
// as Explorer's Properties page and SmartScreen do: the product, its maker
// and the project's version, in whatever translation the setup declares.
//
//   setup_resources_test SETUP.exe... [gtest options]
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "morvelux_version.h"

namespace {

std::vector<std::wstring> setupPaths;

std::wstring widen(const char* text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

class SetupVersion : public ::testing::TestWithParam<std::wstring> {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(GetParam().c_str(), &ignored);
        ASSERT_NE(size, 0u) << "no version resource";
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(GetParam().c_str(), 0, size, block.data()));
        void* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
        ASSERT_GE(length, 4u);
        const auto* translation = static_cast<const WORD*>(value);
        wchar_t name[16];
        swprintf(name, 16, L"%04x%04x", translation[0], translation[1]);
        stringTable = name;
    }

    std::wstring text(const wchar_t* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = L"\\StringFileInfo\\" + stringTable + L"\\" + name;
        if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return L"<missing>";
        return static_cast<const wchar_t*>(value);
    }

    std::vector<unsigned char> block;
    std::wstring stringTable;
};

std::wstring projectVersion() {
    wchar_t version[32];
    swprintf(version, 32, L"%d.%d.%d", MORVELUX_VERSION_MAJOR, MORVELUX_VERSION_MINOR, MORVELUX_VERSION_PATCH);
    return version;
}

TEST_P(SetupVersion, FixedPartIsTheProjectVersion) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed.dwProductVersionMS, static_cast<DWORD>(MAKELONG(MORVELUX_VERSION_MINOR, MORVELUX_VERSION_MAJOR)));
    EXPECT_EQ(fixed.dwProductVersionLS, static_cast<DWORD>(MAKELONG(MORVELUX_VERSION_BUILD, MORVELUX_VERSION_PATCH)));
    EXPECT_EQ(fixed.dwFileVersionMS, fixed.dwProductVersionMS);
    EXPECT_EQ(fixed.dwFileVersionLS, fixed.dwProductVersionLS);
}

TEST_P(SetupVersion, StringsNameTheProductItsMakerAndVersion) {
    EXPECT_EQ(text(L"ProductName"), L"MORVELUX");
    EXPECT_EQ(text(L"CompanyName"), L"Valdrenn");
    EXPECT_EQ(text(L"FileDescription"), L"MORVELUX Setup");
    EXPECT_EQ(text(L"ProductVersion"), projectVersion());
    EXPECT_EQ(text(L"FileVersion"), projectVersion());
}

INSTANTIATE_TEST_SUITE_P(Setups, SetupVersion, ::testing::ValuesIn(setupPaths));

}  // namespace

int main(int argc, char** argv) {
    // The parameters must be known before gtest registers the parameterised tests.
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]).rfind("--gtest", 0) != 0) setupPaths.push_back(widen(argv[i]));
    }
    if (setupPaths.empty()) {
        fprintf(stderr, "usage: setup_resources_test SETUP.exe... [gtest options]\n");
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
