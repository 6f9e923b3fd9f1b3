#include <windows.h>

#include "animation/images/pictures.h"

namespace morvelux {

// The A forms: Windows 95/98 implement the W forms of these as stubs that fail.
std::span<const std::uint8_t> pictureBytes(PictureId id) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(static_cast<int>(id)), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    if (!info) return {};
    const HGLOBAL handle = LoadResource(module, info);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data) return {};
    return {static_cast<const std::uint8_t*>(data), SizeofResource(module, info)};
}

}  // namespace morvelux
