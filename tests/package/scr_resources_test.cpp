// Reads a built Morvelux.scr's resources back through the calls Windows
// itself makes: the version API for the Properties page, string 1 for the
// Display control panel's list, the lowest icon group for Explorer, and the
// manifest for the loader.
//
//   scr_resources_test PATH-TO-Morvelux.scr [gtest options]
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "morvelux_version.h"

namespace {

std::wstring scrPath;

std::wstring widen(const char* text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(size, 1)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

constexpr DWORD versionWord(unsigned high, unsigned low) { return (DWORD{high} << 16) | DWORD{low}; }

class VersionResource : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(scrPath.c_str(), &ignored);
        ASSERT_NE(size, 0u) << "no version resource in the program";
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(scrPath.c_str(), 0, size, block.data()));
    }

    std::wstring text(const std::wstring& name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = L"\\StringFileInfo\\040904B0\\" + name;
        if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return L"<missing>";
        return static_cast<const wchar_t*>(value);
    }

    std::vector<unsigned char> block;
};

TEST_F(VersionResource, FixedPartCarriesTheProjectVersionOfAReleasedProgram) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    const DWORD high = versionWord(MORVELUX_VERSION_MAJOR, MORVELUX_VERSION_MINOR);
    const DWORD low = versionWord(MORVELUX_VERSION_PATCH, MORVELUX_VERSION_BUILD);
    EXPECT_EQ(fixed.dwFileVersionMS, high);
    EXPECT_EQ(fixed.dwFileVersionLS, low);
    EXPECT_EQ(fixed.dwProductVersionMS, high);
    EXPECT_EQ(fixed.dwProductVersionLS, low);
    EXPECT_EQ(fixed.dwFileFlags & fixed.dwFileFlagsMask, 0u) << "marked debug, pre-release or patched";
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionResource, DeclaresUsEnglishUnicodeStrings) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
}

TEST_F(VersionResource, StringsNameTheProductMakerAndFile) {
    EXPECT_EQ(text(L"ProductName"), L"MORVELUX");
    EXPECT_EQ(text(L"FileDescription"), L"MORVELUX");
    EXPECT_EQ(text(L"CompanyName"), L"Valdrenn");
    EXPECT_EQ(text(L"LegalCopyright"), widen(MORVELUX_COPYRIGHT));
    EXPECT_EQ(text(L"OriginalFilename"), L"Morvelux.scr");
    EXPECT_EQ(text(L"InternalName"), L"Morvelux");
    EXPECT_EQ(text(L"FileVersion"), widen(MORVELUX_VERSION_TEXT));
    EXPECT_EQ(text(L"ProductVersion"), widen(MORVELUX_VERSION_TEXT));
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroupHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

// The program opened as the shell opens it: resources only, no code run.
class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExW(scrPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << "cannot open the program, error " << GetLastError();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }

    std::string_view resource(LPCWSTR name, LPCWSTR type) {
        HRSRC info = FindResourceW(module, name, type);
        if (!info) return {};
        HGLOBAL loaded = LoadResource(module, info);
        return {static_cast<const char*>(LockResource(loaded)), SizeofResource(module, info)};
    }

    HMODULE module = nullptr;
};

TEST_F(ProgramResources, StringOneIsTheNameTheControlPanelLists) {
    wchar_t name[64] = L"";
    ASSERT_GT(LoadStringW(module, 1, name, 64), 0);
    EXPECT_STREQ(name, L"MORVELUX");
}

BOOL CALLBACK collectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(ids)->push_back(reinterpret_cast<ULONG_PTR>(name));
    return TRUE;
}

TEST_F(ProgramResources, TheShellsIconIsGroupOneWith16And32And48Pixels) {
    std::vector<ULONG_PTR> groups;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, collectId, reinterpret_cast<LONG_PTR>(&groups));
    ASSERT_FALSE(groups.empty()) << "no icon";
    EXPECT_EQ(groups.front(), 1u) << "Explorer shows the first icon group";

    const std::string_view group = resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));
    ASSERT_GE(group.size(), sizeof(IconGroupHeader));
    const auto* header = reinterpret_cast<const IconGroupHeader*>(group.data());
    ASSERT_EQ(group.size(), sizeof(IconGroupHeader) + header->count * sizeof(IconGroupEntry));
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);
    std::set<int> sizes;
    for (WORD i = 0; i < header->count; ++i) {
        const IconGroupEntry& entry = entries[i];
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_LE(entry.bitCount, 8) << entry.width << " px: the oldest shells draw palette icons only";
        const std::string_view image = resource(MAKEINTRESOURCEW(entry.id), MAKEINTRESOURCEW(3) /* RT_ICON */);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER)) << "icon image " << entry.id << " missing";
        const auto* bitmap = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
        EXPECT_EQ(bitmap->biWidth, entry.width);
        EXPECT_EQ(bitmap->biHeight, 2 * entry.height) << "colour image and mask";
        sizes.insert(entry.width);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
}

struct IconPixels {
    std::set<DWORD> colours;
    bool opaque = true;
};

std::vector<DWORD> pixelsOf(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFFu;
    return pixels;
}

// A one-bit image comes back as a black-and-white icon: no colour bitmap, and
// a mask twice as tall, the AND mask above the image.
IconPixels loadIcon(HMODULE module, int size) {
    IconPixels result;
    auto icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    ICONINFO parts{};
    if (!icon || !GetIconInfo(icon, &parts)) return result;
    const bool blackAndWhite = parts.hbmColor == nullptr;
    std::vector<DWORD> mask = pixelsOf(parts.hbmMask, size, blackAndWhite ? 2 * size : size);
    const auto half = mask.begin() + size * size;
    const std::vector<DWORD> image = blackAndWhite ? std::vector<DWORD>(half, mask.end())
                                                   : pixelsOf(parts.hbmColor, size, size);
    if (blackAndWhite) mask.erase(half, mask.end());
    result.colours.insert(image.begin(), image.end());
    result.opaque = std::all_of(mask.begin(), mask.end(), [](DWORD bit) { return bit == 0; });
    if (parts.hbmColor) DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    DestroyIcon(icon);
    return result;
}

TEST_F(ProgramResources, EachIconSizeIsAnOpaquePictureNotAFlatSquare) {
    for (int size : {16, 32, 48}) {
        const IconPixels icon = loadIcon(module, size);
        EXPECT_TRUE(icon.colours.count(0x000000) && icon.colours.count(0xFFFFFF)) << size << " px: black and white";
        EXPECT_TRUE(icon.opaque) << size << " px has transparent pixels";
    }
}

TEST_F(ProgramResources, ManifestNamesTheProgramWithItsVersion) {
    const std::string_view manifest = resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    ASSERT_FALSE(manifest.empty());
    const std::string identity = std::string("name=\"Valdrenn.Morvelux\" version=\"") + MORVELUX_VERSION_TEXT + "\"";
    EXPECT_NE(manifest.find(identity), std::string_view::npos) << manifest;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: scr_resources_test PATH-TO-Morvelux.scr [gtest options]\n");
        return 2;
    }
    scrPath = widen(argv[1]);
    return RUN_ALL_TESTS();
}
