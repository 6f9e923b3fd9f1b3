// Reads the version resources of the release's Windows files (the setup
// programs and the Morvelux.scr they install) back through the version API,
// as Explorer's Properties page and SmartScreen do: every field there, the
// same product, maker, version and copyright in each, and each file named as
// it is shipped, in whatever translation the file declares.
//
//   setup_resources_test FILE... [gtest options]
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "morvelux_version.h"

namespace {

std::vector<std::wstring> filePaths;

std::wstring widen(const char* text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

class ReleaseVersion : public ::testing::TestWithParam<std::wstring> {
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

std::wstring fileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

TEST_P(ReleaseVersion, FixedPartIsTheProjectVersion) {
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

TEST_P(ReleaseVersion, EveryFieldIsThereAndTheSharedOnesAgree) {
    for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                                L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        EXPECT_NE(text(name), L"<missing>") << name;
        EXPECT_NE(text(name), L"") << name;
    }
    EXPECT_EQ(text(L"ProductName"), L"MORVELUX");
    EXPECT_EQ(text(L"CompanyName"), L"Valdrenn");
    EXPECT_EQ(text(L"ProductVersion"), widen(MORVELUX_VERSION_TEXT));
    EXPECT_EQ(text(L"FileVersion"), widen(MORVELUX_VERSION_TEXT));
    EXPECT_EQ(text(L"LegalCopyright"), widen(MORVELUX_COPYRIGHT));
}

TEST_P(ReleaseVersion, NamesTheFileAsItIsShipped) {
    const std::wstring name = fileName(GetParam());
    EXPECT_EQ(text(L"OriginalFilename"), name);
    EXPECT_EQ(text(L"InternalName"), name.substr(0, name.rfind(L'.')));
    const bool setup = name.find(L"-setup-") != std::wstring::npos;
    EXPECT_EQ(text(L"FileDescription"), setup ? L"MORVELUX Setup" : L"MORVELUX");
}

INSTANTIATE_TEST_SUITE_P(Release, ReleaseVersion, ::testing::ValuesIn(filePaths));

}  // namespace

int main(int argc, char** argv) {
    // The parameters must be known before gtest registers the parameterised tests.
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]).rfind("--gtest", 0) != 0) filePaths.push_back(widen(argv[i]));
    }
    if (filePaths.empty()) {
        fprintf(stderr, "usage: setup_resources_test FILE... [gtest options]\n");
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
